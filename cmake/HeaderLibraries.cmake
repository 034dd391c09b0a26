# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright the limbtimer and chordspan authors
# The header-only libraries of the command-line programs: Eigen (least squares), CLI11 (options) and
# nlohmann-json (JSON), from Debian's packages. A native build takes their CMake packages. The MinGW build
# cannot put /usr/include on its path (glibc's headers would shadow its own), so each library's own folder
# is linked into a staging folder of the build, and that folder alone is given to the compiler.
if(CMAKE_CROSSCOMPILING AND WIN32)
  set(staging ${CMAKE_BINARY_DIR}/header-libraries)
  file(MAKE_DIRECTORY ${staging})
  foreach(pair IN ITEMS "Eigen=/usr/include/eigen3/Eigen" "CLI=/usr/include/CLI" "nlohmann=/usr/include/nlohmann")
    string(REPLACE "=" ";" parts ${pair})
    list(GET parts 0 name)
    list(GET parts 1 folder)
    if(NOT IS_DIRECTORY ${folder})
      message(FATAL_ERROR "${folder} is missing: run scripts/setup.sh")
    endif()
    file(CREATE_LINK ${folder} ${staging}/${name} SYMBOLIC)
  endforeach()
  foreach(target IN ITEMS Eigen3::Eigen CLI11::CLI11 nlohmann_json::nlohmann_json)
    add_library(${target} INTERFACE IMPORTED)
    set_target_properties(${target} PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${staging})
  endforeach()
else()
  find_package(Eigen3 3.3 REQUIRED NO_MODULE)
  find_package(CLI11 REQUIRED)
  find_package(nlohmann_json 3 REQUIRED)
endif()
