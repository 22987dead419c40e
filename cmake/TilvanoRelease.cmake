# What every program, the desktop files and the package say about the release
# and its legal status, kept in one place.
#
# No licence has been granted for Tilvano yet: until its owner chooses one, the
# programs, the AppStream file and the package all say "all rights reserved".
set(TILVANO_COPYRIGHT_YEARS "2026")
# The day of this release, as the AppStream file and debian/changelog give it.
set(TILVANO_RELEASE_DATE "2026-12-07")
set(TILVANO_LICENSE_SPDX "LicenseRef-proprietary")
set(TILVANO_LICENSE_TEXT "Alle Rechte vorbehalten.")
set(TILVANO_HOMEPAGE "https://www.lorvat.de/tilvano/")

# The name the desktop knows the companion by: its desktop entry, its icon and
# its AppStream component. The editor's and the viewer's entries add a part.
set(TILVANO_APP_ID "org.lorvat.Tilvano")
