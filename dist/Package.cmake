# The Debian package: `cpack -G DEB` in a release build. Its dependencies come from the shared
# libraries the executable links; the Qt platform plugins are only a recommendation of Qt's
# own packages, and without them the window cannot start.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME rowcart)
set(CPACK_PACKAGE_VENDOR "Rowcart developers")
set(CPACK_PACKAGE_CONTACT "Rowcart developers <rowcart@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "copies table rows between databases, directly or as an SQL script")
# The extended description's lines, as dpkg shows them.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
    "Rowcart copies selected rows of a table from one database into a table of"
    "another, or writes them as an INSERT script in Ansi, Oracle or Interbase SQL,"
    "in a window or from the command line. It reaches SQLite databases, PostgreSQL"
    "servers and, through unixODBC, every engine with an ODBC driver.")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION database)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "http://www.example.org/rowcart/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS qt6-qpa-plugins)
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "odbc-postgresql, odbc-mariadb, libsqliteodbc, tdsodbc")
include(CPack)
