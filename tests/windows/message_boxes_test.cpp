#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QMessageBox>

#include "app/windows/qt_message_boxes.h"
#include "tests/windows/modal_watch.h"

namespace {

struct SeenBox {
    QString title;
    QString text;
    QList<QMessageBox::StandardButton> buttons;
};

// Records the modal message box and presses the button that has role.
void RecordAndPress(SeenBox* seen, QMessageBox::StandardButton press) {
    OnNextModal([seen, press](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_TRUE(box);
        seen->title = box->windowTitle();
        seen->text = box->text();
        for (QAbstractButton* button : box->buttons())
            seen->buttons.append(box->standardButton(button));
        box->button(press)->click();
    });
}

TEST(QtMessageBoxesTest, MessageHasItsTitleTextAndOnlyOk) {
    QtMessageBoxes boxes(nullptr);
    SeenBox seen;
    RecordAndPress(&seen, QMessageBox::Ok);
    boxes.Show("WANアドレス取得エラー\r\n\r\n詳細", "Sluice");
    EXPECT_EQ(seen.title, QStringLiteral("Sluice"));
    EXPECT_EQ(seen.text, QString::fromUtf8(u8"WANアドレス取得エラー\n\n詳細"));
    EXPECT_EQ(seen.buttons, QList<QMessageBox::StandardButton>{QMessageBox::Ok});
}

TEST(QtMessageBoxesTest, QuestionAnswersWithTheButtonPressed) {
    QtMessageBoxes boxes(nullptr);
    for (QMessageBox::StandardButton press : {QMessageBox::Yes, QMessageBox::No}) {
        SeenBox seen;
        RecordAndPress(&seen, press);
        EXPECT_EQ(boxes.Ask("取得してきますか？", "確認"), press == QMessageBox::Yes);
        EXPECT_EQ(seen.title, QString::fromUtf8(u8"確認"));
        EXPECT_EQ(seen.buttons.size(), 2);
        EXPECT_TRUE(seen.buttons.contains(QMessageBox::Yes));
        EXPECT_TRUE(seen.buttons.contains(QMessageBox::No));
    }
}

}  // namespace
