// Panel 0 of the main window: a long message ends in "…" with the whole of
// it in the tool tip, the last messages are kept for a click on the panel,
// and a message said while a modal dialog covers the window shows there too.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>
#include <functional>
#include <memory>
#include <string>

#include "app/main_window.h"
#include "app/message_panel.h"
#include "app/receiver_wiring.h"
#include "app/schedule_wiring.h"
#include "app/status_panels.h"
#include "common/qt_application.h"
#include "common/window_shot.h"

using namespace sorae;

namespace {

class StatusMessagesTest : public ::testing::Test {
protected:
    void SetUp() override {
        sorae::testsupport::ensureApplication();
        ASSERT_TRUE(dir_.isValid());
        MainWindowOptions options;
        options.programFolder = dir_.path().toStdString();
        options.openSoundDevices = false;
        options.reportFailure = [](const QString&) {};
        window_ = std::make_unique<MainWindow>(options);
        window_->show();
    }
    StatusPanels& panels() { return window_->statusPanels(); }
    MessagePanel& messages() { return *panels().messages(); }

    QTemporaryDir dir_;
    std::unique_ptr<MainWindow> window_;
};

TEST_F(StatusMessagesTest, ALongMessageIsElidedWithTheWholeTextInTheToolTip) {
    const QString longText =
        QStringLiteral("軌道要素ファイルのダウンロードに失敗しました。以前のファイルを使用します (http://127.0.0.1/noaa.txt)");
    panels().setPanelText(0, longText);
    ASSERT_LT(messages().width(), messages().fontMetrics().horizontalAdvance(longText));
    EXPECT_EQ(panels().panelText(0), longText);
    EXPECT_TRUE(messages().shownText().endsWith(QStringLiteral("…"))) << messages().shownText().toStdString();
    EXPECT_TRUE(longText.startsWith(messages().shownText().chopped(1)));
    EXPECT_EQ(messages().toolTip(), longText);

    panels().setPanelText(0, QStringLiteral("短い"));
    EXPECT_EQ(messages().shownText(), QStringLiteral("短い"));
    EXPECT_EQ(messages().toolTip(), QStringLiteral("短い"));

    // The standing note at the right end takes its room from the message
    // and shows in the tool tip, but not in the history.
    panels().setPanelText(0, longText);
    const QString before = messages().shownText();
    messages().setNote(QStringLiteral("NOAA-19 あと 12:34"));
    EXPECT_LT(messages().shownText().size(), before.size());
    EXPECT_TRUE(messages().shownText().endsWith(QStringLiteral("…")));
    EXPECT_EQ(messages().toolTip(), longText + QStringLiteral("\nNOAA-19 あと 12:34"));
    EXPECT_EQ(messages().history().back().text, longText);
}

TEST_F(StatusMessagesTest, AClickOpensTheLastMessagesWithProgressCountsFolded) {
    const QStringList said{QStringLiteral("一つ目"), QStringLiteral("録音再生中 10%"), QStringLiteral("録音再生中 55%"),
                           QString(), QStringLiteral("二つ目")};
    for (const QString& text : said) panels().setPanelText(0, text);
    std::vector<QString> kept;
    for (const auto& e : messages().history()) kept.push_back(e.text);
    EXPECT_EQ(kept, (std::vector<QString>{QStringLiteral("一つ目"), QStringLiteral("録音再生中 55%"),
                                          QStringLiteral("二つ目")}));

    QTest::mouseClick(&messages(), Qt::LeftButton);
    QListWidget* list = messages().historyList();
    ASSERT_NE(list, nullptr);
    EXPECT_TRUE(list->isVisible());
    sorae::testsupport::MaybeSaveWindowShot(*list, "message_history.png");
    ASSERT_EQ(list->count(), 3);
    EXPECT_TRUE(list->item(2)->text().endsWith(QStringLiteral("二つ目")));
    list->close();

    // Only the last ones are kept.
    for (std::size_t i = 0; i < MessagePanel::kHistoryLength + 5; ++i)
        panels().setPanelText(0, QStringLiteral("メッセージ %1 番").arg(QChar('A' + int(i % 26))) + QString(int(i), QChar('x')));
    EXPECT_EQ(messages().history().size(), MessagePanel::kHistoryLength);
}

struct ModalCase {
    const char* name;
    std::function<QDialog*(MainWindow&)> make;
};

class ModalEchoTest : public StatusMessagesTest, public ::testing::WithParamInterface<ModalCase> {};

TEST_P(ModalEchoTest, AMessageSaidBehindAModalDialogShowsInIt) {
    QDialog* dialog = GetParam().make(*window_);
    ASSERT_NE(dialog, nullptr);
    dialog->open();
    ASSERT_EQ(QApplication::activeModalWidget(), dialog);
    const QSize before = dialog->size();
    const QString text = QStringLiteral("ポート /dev/ttyUSB9 を開けません");
    panels().setPanelText(0, text);
    auto* line = dialog->findChild<QLabel*>(QStringLiteral("DialogMessage"));
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->text(), text);
    EXPECT_EQ(panels().panelText(0), text) << "the status bar keeps it too";
    QApplication::processEvents();
    EXPECT_TRUE(line->isVisible());
    // The line covers none of the dialog's own controls.
    for (QWidget* child : dialog->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (child == line || !child->isVisible()) continue;
        EXPECT_FALSE(child->geometry().intersects(line->geometry())) << child->objectName().toStdString();
    }
    EXPECT_GE(dialog->height(), before.height());
    sorae::testsupport::MaybeSaveWindowShot(*dialog, (std::string("echo_") + GetParam().name + ".png").c_str());

    panels().setPanelText(0, QStringLiteral("二度目"));
    EXPECT_EQ(dialog->findChildren<QLabel*>(QStringLiteral("DialogMessage")).size(), 1);
    EXPECT_EQ(line->text(), QStringLiteral("二度目"));
    dialog->close();

    // With no dialog open, nothing is added anywhere.
    panels().setPanelText(0, QStringLiteral("三度目"));
    EXPECT_EQ(line->text(), QStringLiteral("二度目"));
}

INSTANTIATE_TEST_SUITE_P(
    Dialogs, ModalEchoTest,
    ::testing::Values(ModalCase{"OrbitSettings", [](MainWindow& w) { return createOrbitSettingsForm(w); }},
                      ModalCase{"ReceiverSettings", [](MainWindow& w) { return createReceiverSettingsForm(w); }},
                      ModalCase{"LaidOutByHand",
                                [](MainWindow& w) {
                                    auto* d = new QDialog(&w);
                                    auto* button = new QLabel(QStringLiteral("固定"), d);
                                    button->setGeometry(10, 10, 200, 30);
                                    d->setFixedSize(240, 60);
                                    return d;
                                }}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
