# The replay of the kept fuzz inputs runs them through the fuzzer's own harness.
target_link_libraries(${name}_tests PRIVATE qbc_fuzz_harness)
