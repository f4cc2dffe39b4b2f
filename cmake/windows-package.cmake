# The Windows program is one folder, zipped by CPack (cpack --preset windows):
# pezzarium.exe at its top, the Qt and MinGW DLLs it loads beside it, the
# platform and style plugins in their subfolders, qt.conf and Qt's Italian
# texts in translations/. The tests (tests/CMakeLists.txt) unpack the zip.

# The MinGW runtime that the program and Qt load, where the compiler finds it.
set(PEZZARIUM_MINGW_RUNTIME)
foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
        OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
    # A file the compiler does not find comes back as the bare name.
    if(NOT IS_ABSOLUTE "${path}" OR NOT EXISTS "${path}")
        message(FATAL_ERROR "${CMAKE_CXX_COMPILER} finds no ${dll}")
    endif()
    cmake_path(NORMAL_PATH path)
    list(APPEND PEZZARIUM_MINGW_RUNTIME ${path})
endforeach()

# Qt's DLLs come from Qt's own targets: the Widgets the program links, and
# the Gui and Core it builds on. Each plugin goes in the subfolder of its
# kind, where Qt looks for it.
install(IMPORTED_RUNTIME_ARTIFACTS Qt6::Core Qt6::Gui Qt6::Widgets
    RUNTIME_DEPENDENCY_SET pezzarium_runtime DESTINATION .)
foreach(plugin Qt6::QWindowsIntegrationPlugin Qt6::QWindowsVistaStylePlugin)
    get_target_property(kind ${plugin} QT_PLUGIN_TYPE)
    install(IMPORTED_RUNTIME_ARTIFACTS ${plugin} RUNTIME_DEPENDENCY_SET pezzarium_runtime
        LIBRARY DESTINATION ${kind})
endforeach()

# What the exe, the Qt DLLs and the plugins import besides Qt: the MinGW
# runtime (lib*.dll), found beside the compiler's libraries, and what it
# imports; every other DLL is Windows' own. CMake looks for each import by its
# name in lower case, which finds MinGW's files but not Qt's on this file
# system, hence the targets above.
set(mingw_folders)
foreach(path IN LISTS PEZZARIUM_MINGW_RUNTIME)
    cmake_path(GET path PARENT_PATH folder)
    list(APPEND mingw_folders ${folder})
endforeach()
list(REMOVE_DUPLICATES mingw_folders)
# Otherwise the install would read the files as this Linux host's own kind.
install(CODE [[
    set(CMAKE_GET_RUNTIME_DEPENDENCIES_PLATFORM windows+pe)
    set(CMAKE_GET_RUNTIME_DEPENDENCIES_TOOL objdump)
]])
install(RUNTIME_DEPENDENCY_SET pezzarium_runtime DESTINATION .
    PRE_INCLUDE_REGEXES "^lib"
    PRE_EXCLUDE_REGEXES ".*"
    DIRECTORIES ${mingw_folders})

# Qt takes the folder of qt.conf as its prefix, and the plugins from there
# too; the translation is the host's, of the same Qt release.
install(FILES ${PROJECT_SOURCE_DIR}/resources/windows/qt.conf DESTINATION .)
find_file(PEZZARIUM_QT_ITALIAN qtbase_it.qm PATHS ${QT_HOST_PATH}/share/qt6/translations
    NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH REQUIRED)
install(FILES ${PEZZARIUM_QT_ITALIAN} DESTINATION translations)

# Only the exe's rule strips it; the DLLs and plugins are copied as they are,
# and Debian's MinGW runtime and this Qt keep their symbols, more than half of
# the folder. An install with --strip, as CPack's, strips them too.
install(CODE "set(pezzarium_strip [[${CMAKE_STRIP}]])")
install(CODE [[
    if(CMAKE_INSTALL_DO_STRIP)
        foreach(file IN LISTS CMAKE_INSTALL_MANIFEST_FILES)
            if(file MATCHES "\\.dll$")
                execute_process(COMMAND ${pezzarium_strip} ${file} COMMAND_ERROR_IS_FATAL ANY)
            endif()
        endforeach()
    endif()
]])

# pezzarium-1.00-windows-x64.zip in the build folder, holding one folder of
# that name. Including CPack leaves the source package's name in
# CPACK_PACKAGE_FILE_NAME, so the tests take it from PEZZARIUM_PACKAGE.
set(PEZZARIUM_PACKAGE ${PROJECT_NAME}-${PEZZARIUM_VERSION_TEXT}-windows-x64)
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_VERSION ${PEZZARIUM_VERSION_TEXT})
set(CPACK_PACKAGE_FILE_NAME ${PEZZARIUM_PACKAGE})
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR})
set(CPACK_STRIP_FILES ON)
set(CPACK_VERBATIM_VARIABLES ON)
include(CPack)
