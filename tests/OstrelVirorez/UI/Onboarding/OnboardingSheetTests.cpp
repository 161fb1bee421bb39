#include "OstrelVirorez/UI/Onboarding/OnboardingSheet.hpp"

#include "OstrelDesignKit/Tokens/Color.hpp"
#include "OstrelVirorez/UI/Onboarding/OnboardingParts.hpp"
#include "Platform/Concurrency/ManualMainQueue.hpp"
#include "tests/OstrelVirorez/State/AppStateFixture.hpp"
#include "tests/OstrelVirorez/UI/Onboarding/OnboardingFakes.hpp"
#include "tests/OstrelVirorez/UI/TestApplication.hpp"
#include "tests/Support/Qt/ReferenceImage.hpp"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>

namespace ostrelvirorez::testing {
namespace {

// Children of a class without its own meta-object, found by their C++ type.
template <typename T>
QList<T*> childrenOfType(const QWidget& root) {
    QList<T*> found;
    for (QWidget* child : root.findChildren<QWidget*>()) {
        if (auto* typed = dynamic_cast<T*>(child)) found << typed;
    }
    return found;
}
// The sheet as drawn, compared with its kept reference.
QImage render(QWidget& widget, const QString& name) {
    widget.adjustSize();
    QImage image = widget.grab().toImage();
    EXPECT_TRUE(testsupport::matchesReference(image, {"OstrelVirorez/UI/Onboarding", name.toStdString()}));
    return image;
}

QStringList labelTexts(const QWidget& root) {
    QStringList texts;
    for (const QLabel* label : root.findChildren<QLabel*>()) {
        if (!label->text().isEmpty()) texts << label->text();
    }
    return texts;
}

QAbstractButton* buttonTitled(const QWidget& root, const QString& title) {
    for (QAbstractButton* button : root.findChildren<QAbstractButton*>()) {
        if (button->text() == title) return button;
    }
    return nullptr;
}

int buttonsTitled(const QWidget& root, const QString& title) {
    int count = 0;
    for (const QAbstractButton* button : root.findChildren<QAbstractButton*>()) count += button->text() == title;
    return count;
}

bool close(const QColor& a, const QColor& b, int tolerance = 12) {
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

void pressReturn(QWidget& widget) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(&widget, &press);
}

class OnboardingSheetTest : public ::testing::Test {
protected:
    OnboardingSheetTest() { testApplication(); }

    std::unique_ptr<OnboardingSheet> makeSheet() {
        return std::make_unique<OnboardingSheet>(OnboardingModel::Dependencies{
            store.settings, permissions, queue, [this] { ++engineLoads; }, [](const std::string&) {},
            [this] { ++dismissals; }});
    }

    TestSettings store;
    ScriptedPermissions permissions;
    platform::ManualMainQueue queue;
    int engineLoads = 0;
    int dismissals = 0;
};

TEST_F(OnboardingSheetTest, WelcomeStepShowsTheGuideAtItsFixedSizeWithTheFirstDotLit) {
    auto sheet = makeSheet();
    const QImage image = render(*sheet, "onboarding-welcome");
    EXPECT_EQ(sheet->size(), QSize(560, 580));
    const QStringList texts = labelTexts(*sheet);
    for (const char* expected : {"Willkommen bei OstrelVirorez", "Schritt 1 von 3", "Halten + sprechen",
                                 "Claude-Mode (optional)", "Lokal & privat"}) {
        EXPECT_TRUE(texts.contains(QString::fromUtf8(expected))) << expected;
    }
    EXPECT_EQ(sheet->leftButton().text(), "Überspringen");
    EXPECT_EQ(sheet->rightButton().text(), "Weiter");

    StepDots& dots = sheet->stepDots();
    const QImage dotImage = dots.grab().toImage();
    const QColor lit = dotImage.pixelColor(dots.dotCentre(0).toPoint());
    EXPECT_TRUE(close(lit, ostreldesignkit::Color::cyanElectric())) << lit.name().toStdString();
    for (int index : {1, 2}) {
        EXPECT_FALSE(close(dotImage.pixelColor(dots.dotCentre(index).toPoint()), ostreldesignkit::Color::cyanElectric()))
            << index;
    }
}

TEST_F(OnboardingSheetTest, PermissionsStepOffersRequestsOnlyForMissingPermissions) {
    struct Case {
        const char* name;
        CaptureAuthorizationStatus microphone;
        bool trusted;
        int grantedLabels;
        bool tip;
    };
    const Case cases[] = {
        {"both missing", CaptureAuthorizationStatus::denied, false, 0, true},
        {"microphone only", CaptureAuthorizationStatus::authorized, false, 1, true},
        {"both granted", CaptureAuthorizationStatus::authorized, true, 2, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        permissions.microphone = c.microphone;
        permissions.accessibilityTrusted = c.trusted;
        auto sheet = makeSheet();
        pressReturn(*sheet);
        queue.runUntilIdle();
        ASSERT_EQ(sheet->model().step(), 1);
        render(*sheet, QString("onboarding-permissions-") + QString(c.name).replace(' ', '-'));
        const QWidget& content = sheet->stepContent();
        const QStringList texts = labelTexts(content);
        // Each granted row shows the dot's label and the green label: two "Erteilt".
        EXPECT_EQ(texts.count("Erteilt"), 2 * c.grantedLabels);
        EXPECT_EQ(texts.count("Fehlt"), 2 - c.grantedLabels);
        EXPECT_EQ(buttonsTitled(content, "Mikrofon-Zugriff anfragen"),
                  c.microphone == CaptureAuthorizationStatus::authorized ? 0 : 1);
        EXPECT_EQ(buttonsTitled(content, "Bedienungshilfen anfragen"), c.trusted ? 0 : 1);
        EXPECT_EQ(buttonsTitled(content, "Systemeinstellungen öffnen"), 2 - c.grantedLabels);
        EXPECT_EQ(texts.filter("Tipp:").size(), c.tip ? 1 : 0);
        EXPECT_TRUE(buttonTitled(content, "Status aktualisieren"));
    }
}

TEST_F(OnboardingSheetTest, GrantedSealStaysBesideItsWordAndTheFooterButtonsStandLevel) {
    permissions.microphone = CaptureAuthorizationStatus::authorized;
    permissions.accessibilityTrusted = true;
    auto sheet = makeSheet();
    sheet->show();
    pressReturn(*sheet);
    queue.runUntilIdle();
    QApplication::processEvents();
    int sealed = 0;
    for (QLabel* word : sheet->stepContent().findChildren<QLabel*>()) {
        if (word->text() != "Erteilt" || word->parentWidget()->layout()->count() < 2) continue;
        const QWidget* seal = word->parentWidget()->layout()->itemAt(0)->widget();
        if (seal == nullptr || seal == word) continue;
        ++sealed;
        // Neither the seal (or dot) nor its word is stretched apart from the other.
        EXPECT_EQ(word->x() - (seal->x() + seal->width()), 4);
        EXPECT_LE(seal->width(), std::max(seal->sizeHint().width(), seal->minimumWidth()));
        EXPECT_LE(word->width(), word->sizeHint().width());
    }
    EXPECT_EQ(sealed, 4) << "two status dots and two green labels";

    const QAbstractButton& left = sheet->leftButton();
    const QAbstractButton& right = sheet->rightButton();
    EXPECT_EQ(right.text(), "Weiter");
    EXPECT_EQ(right.height(), left.height());
    EXPECT_EQ(right.font(), left.font());
    EXPECT_EQ(right.mapTo(sheet.get(), QPoint(0, 0)).y(), left.mapTo(sheet.get(), QPoint(0, 0)).y());
}

TEST_F(OnboardingSheetTest, RequestingTheMicrophoneShowsTheDeniedHintAndRefreshingPicksUpAGrant) {
    permissions.microphone = CaptureAuthorizationStatus::denied;
    auto sheet = makeSheet();
    sheet->rightButton().click();
    queue.runUntilIdle();
    const QString hint = "Vom System abgelehnt — bitte in den Systemeinstellungen freigeben.";
    EXPECT_FALSE(labelTexts(sheet->stepContent()).contains(hint));
    buttonTitled(sheet->stepContent(), "Mikrofon-Zugriff anfragen")->click();
    EXPECT_EQ(permissions.microphoneRequests, 1);
    EXPECT_TRUE(labelTexts(sheet->stepContent()).contains(hint));
    render(*sheet, "onboarding-permissions-denied-hint");

    permissions.microphone = CaptureAuthorizationStatus::authorized;
    buttonTitled(sheet->stepContent(), "Status aktualisieren")->click();
    EXPECT_FALSE(labelTexts(sheet->stepContent()).contains(hint));
    EXPECT_FALSE(buttonTitled(sheet->stepContent(), "Mikrofon-Zugriff anfragen"));
}

TEST_F(OnboardingSheetTest, EngineStepListsAllFourCardsAndHighlightsTheStoredChoice) {
    auto sheet = makeSheet();
    pressReturn(*sheet);
    pressReturn(*sheet);
    ASSERT_EQ(sheet->model().step(), 2);
    EXPECT_EQ(sheet->rightButton().text(), "Los geht's");
    auto cards = childrenOfType<EngineCard>(sheet->stepContent());
    ASSERT_EQ(cards.size(), 4);
    const QStringList names = {"Parakeet TDT v3", "Hushframe (Large v3 Turbo)", "Apple SpeechAnalyzer",
                               "Nemotron 3.5 (Streaming)"};
    for (int index = 0; index < 4; ++index) {
        EXPECT_EQ(cards[index]->text(), names[index]);
        EXPECT_EQ(cards[index]->isSelected(), index == 0);
    }

    cards[1]->click();
    EXPECT_EQ(store.settings.selectedEngine(), EngineType::hushframe);
    EXPECT_EQ(engineLoads, 1);
    cards = childrenOfType<EngineCard>(sheet->stepContent());
    EXPECT_FALSE(cards[0]->isSelected());
    EXPECT_TRUE(cards[1]->isSelected());
    const QImage image = render(*sheet, "onboarding-engine-hushframe");
    const QPoint inside = cards[1]->mapTo(sheet.get(), QPoint(cards[1]->width() - 4, cards[1]->height() / 2));
    const QColor fill = image.pixelColor(inside);
    EXPECT_GT(fill.blue(), fill.red()) << fill.name().toStdString();

    pressReturn(*sheet);
    EXPECT_EQ(dismissals, 1);
    EXPECT_TRUE(store.settings.onboardingCompleted());
}

TEST_F(OnboardingSheetTest, EnginesThatCannotRunHereAreShownDisabledWithTheReason) {
    auto sheet = makeSheet();
    pressReturn(*sheet);
    pressReturn(*sheet);
    auto cards = childrenOfType<EngineCard>(sheet->stepContent());
    ASSERT_EQ(cards.size(), 4);
    struct Case {
        EngineType engine;
        bool runsHere;
    };
#if defined(__x86_64__) || defined(__i386__)
    constexpr bool nemotronRuns = false;
#else
    constexpr bool nemotronRuns = true;
#endif
    const Case cases[] = {{EngineType::parakeet, true},
                          {EngineType::hushframe, true},
                          {EngineType::appleSpeech, false},
                          {EngineType::nemotron, nemotronRuns}};
    for (std::size_t index = 0; index < 4; ++index) {
        const Case& c = cases[index];
        SCOPED_TRACE(OnboardingModel::engineName(c.engine));
        EngineCard& card = *cards[int(index)];
        EXPECT_EQ(card.isEnabled(), c.runsHere);
        const auto reason = OnboardingModel::engineUnavailableReason(c.engine);
        EXPECT_EQ(reason.has_value(), !c.runsHere);
        if (reason) {
            EXPECT_TRUE(labelTexts(card).contains(QString::fromStdString(*reason)));
            sheet->model().chooseEngine(c.engine); // even asked directly, it is not stored
            EXPECT_EQ(store.settings.selectedEngine(), EngineType::parakeet);
        }
    }
    EXPECT_EQ(engineLoads, 0);
}

class OnboardingSheetOnAppStateTest : public AppStateFixture {
protected:
    OnboardingSheetOnAppStateTest() { testApplication(); }
};

TEST_F(OnboardingSheetOnAppStateTest, ApplicationSheetShowsLinuxPermissionsAsGrantedAndLoadsTheChosenEngine) {
    launch();
    int dismissals = 0;
    OnboardingSheet sheet(settings, *appState, [&] { ++dismissals; });
    sheet.rightButton().click();
    QApplication::processEvents();
    EXPECT_EQ(labelTexts(sheet.stepContent()).count("Erteilt"), 4);
    EXPECT_FALSE(sheet.model().showsPermissionTip());

    sheet.rightButton().click();
    childrenOfType<EngineCard>(sheet.stepContent())[1]->click();
    runUntilIdle();
    EXPECT_EQ(appState->engineManager().currentType(), EngineType::hushframe);
    sheet.leftButton().click();
    EXPECT_EQ(sheet.model().step(), 1);
    EXPECT_EQ(dismissals, 0);
}

} // namespace
} // namespace ostrelvirorez::testing
