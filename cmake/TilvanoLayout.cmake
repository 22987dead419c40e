# One layout for the build tree and for every install prefix:
#   bin/                    programs
#   lib/tilvano/            shared libraries
#   lib/tilvano/plugins/    settings pages (.tpx)
#   share/tilvano/          data: characters, help, templates
#   share/applications/, share/icons/, share/metainfo/, share/man/, ...
#                           what the desktop finds there by its conventions
# Programs and libraries find each other and the data relative to their own
# location, so the build tree runs in place.
#
# Our libraries are private to our programs, so they stay out of the linker's
# search path: under /usr or /usr/local a library of another package with the
# same name must not be able to shadow one of ours, or the other way round.
set(TILVANO_BIN_DIR bin)
set(TILVANO_LIB_DIR lib/tilvano)
set(TILVANO_PLUGIN_DIR lib/tilvano/plugins)
set(TILVANO_DATA_DIR share/tilvano)

set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/${TILVANO_BIN_DIR})
set(CMAKE_LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/${TILVANO_LIB_DIR})
set(CMAKE_ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/archive)
set(TILVANO_BUILD_DATA_DIR ${CMAKE_BINARY_DIR}/${TILVANO_DATA_DIR})
set(TILVANO_BUILD_PLUGIN_DIR ${CMAKE_BINARY_DIR}/${TILVANO_PLUGIN_DIR})
file(MAKE_DIRECTORY ${TILVANO_BUILD_DATA_DIR} ${TILVANO_BUILD_PLUGIN_DIR})

# The build tree has the installed layout, so it is linked with the install
# run paths as they are. Otherwise CMake links the build tree with its own
# paths padded by empty entries (room to rewrite them at install), and the
# loader reads an empty entry as the current folder: every start then looks
# for each library in whatever folder it was started from, which is slow and
# would load a stranger's library of the same name.
set(CMAKE_BUILD_WITH_INSTALL_RPATH ON)
set(CMAKE_INSTALL_RPATH "$ORIGIN/../${TILVANO_LIB_DIR}")

# A shared library of ours, built into lib/ and installed there.
function(tilvano_add_library name)
  add_library(${name} SHARED ${ARGN})
  set_target_properties(${name} PROPERTIES
    VERSION ${PROJECT_VERSION} SOVERSION ${PROJECT_VERSION_MAJOR}
    INSTALL_RPATH "$ORIGIN")
  # Only our programs link these, so no development link (libx.so) is installed.
  install(TARGETS ${name} LIBRARY DESTINATION ${TILVANO_LIB_DIR} NAMELINK_SKIP)
endfunction()

# A program of ours, built into bin/ and installed there.
function(tilvano_add_program name)
  add_executable(${name} ${ARGN})
  install(TARGETS ${name} RUNTIME DESTINATION ${TILVANO_BIN_DIR})
endfunction()

# A settings page: a Qt plug-in with the suffix .tpx in lib/tilvano/plugins.
function(tilvano_add_page name)
  add_library(${name} MODULE ${ARGN})
  set_target_properties(${name} PROPERTIES
    PREFIX "" SUFFIX ".tpx"
    LIBRARY_OUTPUT_DIRECTORY ${TILVANO_BUILD_PLUGIN_DIR}
    INSTALL_RPATH "$ORIGIN/..")
  target_link_libraries(${name} PRIVATE tilvano_pages)
  install(TARGETS ${name} LIBRARY DESTINATION ${TILVANO_PLUGIN_DIR})
endfunction()

# A data file or folder shipped under share/tilvano/<subdir>.
function(tilvano_add_data subdir)
  foreach(src IN LISTS ARGN)
    get_filename_component(fname ${src} NAME)
    configure_file(${src} ${TILVANO_BUILD_DATA_DIR}/${subdir}/${fname} COPYONLY)
    install(FILES ${src} DESTINATION ${TILVANO_DATA_DIR}/${subdir})
  endforeach()
endfunction()
