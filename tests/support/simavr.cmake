# libsimavr for the simulator test runner (Debian libsimavr-dev; scripts/setup.sh installs it).
find_package(PkgConfig QUIET)
set(QBC_SIMAVR_FOUND FALSE)
if(PkgConfig_FOUND)
  # simavr.pc names libelf as a private requirement; only the include folder is taken from
  # it, so a machine without libelf.pc still builds.
  pkg_get_variable(QBC_SIMAVR_PC_INCLUDEDIR simavr includedir)
endif()
find_path(QBC_SIMAVR_INCLUDE_DIR sim_avr.h
  HINTS ${QBC_SIMAVR_PC_INCLUDEDIR}/simavr /usr/include/simavr)
find_library(QBC_SIMAVR_LIBRARY NAMES simavr)
find_library(QBC_ELF_LIBRARY NAMES elf libelf.so.1)
if(NOT QBC_SIMAVR_INCLUDE_DIR OR NOT QBC_SIMAVR_LIBRARY)
  message(FATAL_ERROR "libsimavr not found: run scripts/setup.sh (Debian libsimavr-dev)")
endif()
target_include_directories(qbc_test_support SYSTEM PRIVATE ${QBC_SIMAVR_INCLUDE_DIR})
target_link_libraries(qbc_test_support PUBLIC ${QBC_SIMAVR_LIBRARY})
if(QBC_ELF_LIBRARY)
  target_link_libraries(qbc_test_support PUBLIC ${QBC_ELF_LIBRARY})
endif()
