#pragma once
// The one QApplication of a design-kit test process, made on first use on the
// offscreen platform and let go before the process's static objects; and the
// folder where render tests leave their images for a person to look at.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QString>

#include <memory>

namespace ostreldesignkit::testing {

inline std::unique_ptr<QApplication>& kitApplicationInstance() {
    static std::unique_ptr<QApplication> instance;
    return instance;
}

class KitApplicationEnvironment final : public ::testing::Environment {
public:
    void TearDown() override { kitApplicationInstance().reset(); }
};

inline QApplication& kitApplication() {
    if (auto* existing = qobject_cast<QApplication*>(QCoreApplication::instance())) return *existing;
    auto& instance = kitApplicationInstance();
    if (!instance) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "OstrelDesignKitTests";
        static char* argv[] = {name, nullptr};
        instance = std::make_unique<QApplication>(argc, argv);
        ::testing::AddGlobalTestEnvironment(new KitApplicationEnvironment); // gtest owns it
    }
    return *instance;
}

// Saves `image` as "<name>.png" under "renders/" of the working folder.
inline void keepRender(const QImage& image, const QString& name) {
    QDir().mkpath(QStringLiteral("renders"));
    image.save(QStringLiteral("renders/%1.png").arg(name));
}

} // namespace ostreldesignkit::testing
