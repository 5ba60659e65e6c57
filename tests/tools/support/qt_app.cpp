// One QApplication for the whole test program, made only when tests run (listing the
// tests at build time must not need a display).
#include <gtest/gtest.h>

#include <QApplication>
#include <memory>

namespace {

class QtAppEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "tools_tests";
    static char* argv[] = {name, nullptr};
    app_ = std::make_unique<QApplication>(argc, argv);
  }
  void TearDown() override { app_.reset(); }

 private:
  std::unique_ptr<QApplication> app_;
};

const auto* const kRegistered = ::testing::AddGlobalTestEnvironment(new QtAppEnvironment);

}  // namespace
