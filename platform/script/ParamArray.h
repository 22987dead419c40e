#pragma once

// Marks a published object's method as taking any number of arguments, as a
// ParamArray does in the language: its last parameter, a const QVariantList &,
// receives every argument from that position on (possibly none).
//
//     TILVANO_PARAM_ARRAY Q_INVOKABLE void Echo(const QVariantList &values);
//
// moc records the mark as the method's tag; the compiler sees nothing. The
// mark goes first: between Q_INVOKABLE and a built-in return type such as int
// moc would take it for part of the type.
#ifndef Q_MOC_RUN
#define TILVANO_PARAM_ARRAY
#endif
