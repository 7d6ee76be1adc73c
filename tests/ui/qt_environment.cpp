// One QApplication for the whole GUI test program, on Qt's offscreen platform unless the
// environment chooses another.
#include <gtest/gtest.h>

#include <QApplication>
#include <memory>

namespace {

class QtEnvironment final : public ::testing::Environment {
 public:
  void SetUp() override {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    m_Application = std::make_unique<QApplication>(m_Argc, m_Argv);
    QApplication::setApplicationName(QStringLiteral("hostseal"));
  }
  void TearDown() override { m_Application.reset(); }

 private:
  int m_Argc = 1;
  char m_Name[16] = "hostseal-tests";
  char* m_Argv[2] = {m_Name, nullptr};
  std::unique_ptr<QApplication> m_Application;
};

[[maybe_unused]] ::testing::Environment* const kQtEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);

}  // namespace
