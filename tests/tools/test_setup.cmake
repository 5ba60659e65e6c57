# The tool windows run headless; their screenshots go under the build folder.
find_package(Qt6 REQUIRED COMPONENTS Test)
target_sources(${name}_tests PRIVATE ${dir}/support/qt_app.cpp ${dir}/support/tool_test_support.cpp
  ${dir}/support/pty_pair.cpp)
target_link_libraries(${name}_tests PRIVATE qbc_tools Qt6::Test)
target_compile_definitions(${name}_tests PRIVATE QBC_SCREENSHOT_DIR="${CMAKE_BINARY_DIR}/screenshots")
set(QBC_TEST_ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
