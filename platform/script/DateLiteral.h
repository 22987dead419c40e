#pragma once

#include <QStringView>

#include <optional>

namespace tilvano::script {

// The text between the #s of a date literal, as a date serial; nothing when
// it is no date. Literals are read the same way wherever the script runs:
// month/day/year (#12/24/2023#, #12-24-2023#), year-month-day (#2023-12-24#),
// day.month.year (#24.12.2023#) or with an English month name
// (#December 24, 2023#, #24 Dec 2023#), optionally followed by a time of day
// (#12/24/2023 6:30 PM#), or a time alone (#18:30:15#). Years run from 100 to
// 9999; one or two digits mean 1930 to 2029, as in the language. A first
// number above 12 with a second up to 12 is taken as day/month.
std::optional<double> parseDateLiteral(QStringView text);

} // namespace tilvano::script
