# project(VERSION ...) is the only place the version is written: this header carries it into the sources,
# for every target that links tarnix::version.
configure_file(${CMAKE_CURRENT_LIST_DIR}/version.h.in ${PROJECT_BINARY_DIR}/generated/tarnix/version.h @ONLY)
add_library(tarnix_version INTERFACE)
add_library(tarnix::version ALIAS tarnix_version)
target_include_directories(tarnix_version INTERFACE ${PROJECT_BINARY_DIR}/generated)
