#pragma once

// Marks a published object's method as taking any number of arguments, as a
// ParamArray does in the language: its last parameter, a const QVariantList &,
// receives every argument from that position on (possibly none).
//
//     Q_INVOKABLE TILVANO_PARAM_ARRAY void Echo(const QVariantList &values);
//
// moc records the mark as the method's tag; the compiler sees nothing.
#ifndef Q_MOC_RUN
#define TILVANO_PARAM_ARRAY
#endif
