# The exact values the function tests hold the routines to come from MPFR.
find_library(QBC_MPFR_LIBRARY mpfr REQUIRED)
find_library(QBC_GMP_LIBRARY gmp REQUIRED)
target_link_libraries(${name}_tests PRIVATE ${QBC_MPFR_LIBRARY} ${QBC_GMP_LIBRARY})
