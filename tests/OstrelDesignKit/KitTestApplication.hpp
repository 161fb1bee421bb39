#pragma once
// The one QApplication of a design-kit test process, made on first use on the
// offscreen platform and let go before the process's static objects; and the
// comparison of a render with the kit's kept reference images.

#include "tests/Support/Qt/ReferenceImage.hpp"

#include <gtest/gtest.h>

#include <QApplication>
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

// Compares `image` with tests/OstrelDesignKit/references/<name>.png; the
// render is also left under "renders/" for a person to look at.
inline void expectLooksAsKept(const QImage& image, const QString& name) {
    EXPECT_TRUE(testsupport::matchesReference(image, {"OstrelDesignKit", name.toStdString()}));
}

} // namespace ostreldesignkit::testing
