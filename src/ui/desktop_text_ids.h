#pragma once

// String-table numbers of help, the About box and the desktop (data in
// src/base/strings/desktop.*.txt).

namespace fenno::str {

inline constexpr int kAboutUses = 11300;       // "This program uses:"
inline constexpr int kAboutQtLicence = 11301;  // %1 = the Qt version in use
inline constexpr int kAboutX11Licence = 11302;
inline constexpr int kAboutCLibLicence = 11303;
inline constexpr int kAboutLicenceTexts = 11304;
inline constexpr int kHelpPageNotShown = 11305;  // %1 = the page's path

}  // namespace fenno::str
