# The environment's windows run headless over scripted desktop services; their
# screenshots go under the build folder.
find_package(Qt6 REQUIRED COMPONENTS Test)
target_sources(${name}_tests PRIVATE ${dir}/support/env_fixture.cpp ${PROJECT_SOURCE_DIR}/tests/tools/support/qt_app.cpp)
target_link_libraries(${name}_tests PRIVATE qbc_env Qt6::Test)
target_compile_definitions(${name}_tests PRIVATE QBC_SCREENSHOT_DIR="${CMAKE_BINARY_DIR}/screenshots")
set_target_properties(${name}_tests PROPERTIES AUTOMOC ON)
set(QBC_TEST_ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
