# Run by `cmake --install`: writes the menu entry into share/applications.
# Exec names the installed executable by its absolute path, and only the
# install step knows that path, since `cmake --install --prefix` may differ
# from the prefix the build was configured with.

get_filename_component(prefix "${CMAKE_INSTALL_PREFIX}" ABSOLUTE)
set(executable "${prefix}/bin/pezzarium")
if(executable MATCHES "[\n\r\t]")
    message(FATAL_ERROR "A menu entry cannot name a program whose path holds a "
                        "line break or a tab: ${executable}")
endif()

# Exec is a command line: a path with a space or another reserved character
# is quoted, and inside the quotes ", `, $ and \ take a backslash.
set(command "${executable}")
if(command MATCHES "[] \"'\\\\><~|&;$*?#()`[]")
    string(REPLACE "\\" "\\\\" command "${command}")
    string(REPLACE "\"" "\\\"" command "${command}")
    string(REPLACE "`" "\\`" command "${command}")
    string(REPLACE "$" "\\$" command "${command}")
    set(command "\"${command}\"")
endif()
# Both keys are strings of a key file, where a backslash is written twice; in
# Exec a % is written twice too.
string(REPLACE "\\" "\\\\" PEZZARIUM_EXEC "${command}")
string(REPLACE "%" "%%" PEZZARIUM_EXEC "${PEZZARIUM_EXEC}")
string(REPLACE "\\" "\\\\" PEZZARIUM_TRY_EXEC "${executable}")

set(entry "$ENV{DESTDIR}${prefix}/share/applications/pezzarium.desktop")
message(STATUS "Installing: ${entry}")
configure_file("${CMAKE_CURRENT_LIST_DIR}/pezzarium.desktop.in" "${entry}" @ONLY)
list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${entry}")
