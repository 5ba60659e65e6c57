# Sanitizer settings for runs in the sanitizer build (sourced by the scripts beside it).
# Leaks are checked everywhere except inside the simulator library (lsan.supp).
qbc_sanitize_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
export LSAN_OPTIONS="suppressions=$qbc_sanitize_dir/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export ASAN_OPTIONS="detect_leaks=1:strict_string_checks=1:check_initialization_order=1"
# The sanitizer build: clang (for the fuzzer), optimised lightly and without debug
# information to keep it cheap. It holds the compiler, the build command and every test of
# them; the windows of the environment and the tools, and their tests, run only in the
# release build (scripts/build.sh), which keeps CI within its time on two cores.
qbc_build_sanitize() {
  local root=$1
  cmake -S "$root" -B "$root/build-san" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_C_FLAGS_RELEASE=-O1 -DCMAKE_CXX_FLAGS_RELEASE=-O1 \
    -DQBC_SANITIZE=ON -DQBC_BUILD_FUZZER=ON -DQBC_BUILD_GUI=OFF -DQBC_BUILD_BENCHMARKS=OFF >/dev/null
  cmake --build "$root/build-san" -j"$(nproc)"
}
