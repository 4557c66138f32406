#include "app/program_forms.h"

#include <QDialog>

#include "app/main_window.h"

namespace sorae {

namespace {

QDialog* placeholder(MainWindow& mainWindow, const char* objectName, const char* caption) {
    auto* dialog = new QDialog(&mainWindow);
    dialog->setObjectName(QString::fromLatin1(objectName));
    dialog->setWindowTitle(QString::fromUtf8(caption));
    return dialog;
}

}  // namespace

void createProgramForms(MainWindow& mainWindow) {
    placeholder(mainWindow, "TForm2", "過去画像");          // past images
    placeholder(mainWindow, "TForm9", "入力デバイスの選択");  // input device
    placeholder(mainWindow, "TForm10", "録音デバイス変更");   // recording device change notice
    placeholder(mainWindow, "TForm3", "軌道設定");          // orbit settings
    placeholder(mainWindow, "TForm4", "制御設定");          // receiver control
    placeholder(mainWindow, "TForm5", "画像設定");          // image settings
    placeholder(mainWindow, "TForm6", "手動受信");          // manual reception direction
    placeholder(mainWindow, "TForm7", "IC-PCR音量");        // IC-PCR volume
}

}  // namespace sorae
