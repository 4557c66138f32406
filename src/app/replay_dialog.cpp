#include "app/replay_dialog.h"

#include <cmath>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "capture/recording_reader.h"
#include "imaging/picture_naming.h"
#include "orbit/day_time.h"
#include "recording/recording_satellite.h"
#include "recording/recording_start_time.h"

namespace sorae {

std::optional<double> parseReplayStartTime(const QString& text) {
    const QString t = text.trimmed();
    if (t.size() != 12 && t.size() != 14) return std::nullopt;
    for (QChar c : t)
        if (!c.isDigit()) return std::nullopt;
    const int year = t.mid(0, 4).toInt();
    const int month = t.mid(4, 2).toInt();
    const int day = t.mid(6, 2).toInt();
    const int hour = t.mid(8, 2).toInt();
    const int minute = t.mid(10, 2).toInt();
    const int second = t.size() == 14 ? t.mid(12, 2).toInt() : 0;
    if (year < 1900 || month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 59)
        return std::nullopt;
    return DayCountFromCivil(year, month, day, hour, minute, second);
}

QString explainRecordingError(const QString& message) {
    // libsndfile's reasons, as it words them, and what they mean here.
    struct Reason {
        const char* english;
        const char* japanese;
    };
    static const Reason reasons[] = {
        {"Format not recognised", "音声ファイルの形式として認識できません"},
        {"unknown format", "音声ファイルの形式として認識できません"},
        {"No such file", "ファイルがありません"},
        {"does not exist", "ファイルがありません"},
        {"Permission denied", "読み取りが許可されていません"},
        {"Is a directory", "フォルダーは再生できません"},
        {"malformed", "ファイルが壊れているか、途中で切れています"},
        {"Error in", "ファイルが壊れているか、途中で切れています"},
        {"truncated", "ファイルが途中で切れています"},
        {"System error", "ファイルを読めません"},
    };
    const int colon = message.lastIndexOf(QStringLiteral(": "));
    if (colon < 0) return message;
    const QString reason = message.mid(colon + 2);
    for (const Reason& r : reasons) {
        if (reason.contains(QLatin1String(r.english), Qt::CaseInsensitive))
            return message.left(colon + 2) + QString::fromUtf8(r.japanese) + QStringLiteral(" (libsndfile: ") +
                   reason + QStringLiteral(")");
    }
    return message;
}

ReplayDialog::ReplayDialog(const QStringList& satellites, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("ReplayDialog"));
    setWindowTitle(QStringLiteral("録音再生"));

    fileEdit_ = new QLineEdit(this);
    fileEdit_->setObjectName(QStringLiteral("ReplayFileEdit"));
    fileEdit_->setMinimumWidth(320);
    auto* browseButton = new QPushButton(QStringLiteral("参照..."), this);
    browseButton->setObjectName(QStringLiteral("ReplayBrowseButton"));
    connect(browseButton, &QPushButton::clicked, this, &ReplayDialog::browse);
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(fileEdit_);
    fileRow->addWidget(browseButton);

    quadratureBox_ = new QCheckBox(QStringLiteral("I/Q 信号 (48kHz 以上のステレオ, I 左 Q 右)"), this);
    quadratureBox_->setObjectName(QStringLiteral("ReplayQuadratureBox"));
    carrierEdit_ = new QLineEdit(this);
    carrierEdit_->setObjectName(QStringLiteral("ReplayCarrierEdit"));
    carrierEdit_->setPlaceholderText(QStringLiteral("Hz (空欄: 自動検出, 受信機の IF は -24000, SDR は 0)"));
    swapBox_ = new QCheckBox(QStringLiteral("I と Q を入れ替える"), this);
    swapBox_->setObjectName(QStringLiteral("ReplaySwapBox"));
    auto* iqRow = new QHBoxLayout;
    iqRow->addWidget(carrierEdit_);
    iqRow->addWidget(swapBox_);
    auto followQuadrature = [this](bool on) {
        carrierEdit_->setEnabled(on);
        swapBox_->setEnabled(on);
    };
    connect(quadratureBox_, &QCheckBox::toggled, this, followQuadrature);
    followQuadrature(false);

    satelliteBox_ = new QComboBox(this);
    satelliteBox_->setObjectName(QStringLiteral("ReplaySatelliteBox"));
    satelliteBox_->addItem(QStringLiteral("不明 (手動受信として)"), QString());
    for (const QString& name : satellites) satelliteBox_->addItem(name, name);

    directionBox_ = new QComboBox(this);
    directionBox_->setObjectName(QStringLiteral("ReplayDirectionBox"));
    directionBox_->addItem(QStringLiteral("N>S"));
    directionBox_->addItem(QStringLiteral("S>N"));
    directionBox_->addItem(QStringLiteral("軌道から (北を上に)"));

    timeEdit_ = new QLineEdit(this);
    timeEdit_->setObjectName(QStringLiteral("ReplayTimeEdit"));
    timeEdit_->setPlaceholderText(QStringLiteral("YYYYMMDDHHMM 日本時間 (空欄: ファイル名か更新日時から)"));
    nameTimeLabel_ = new QLabel(this);
    nameTimeLabel_->setObjectName(QStringLiteral("ReplayNameTimeLabel"));
    nameTimeLabel_->setWordWrap(true);
    connect(fileEdit_, &QLineEdit::textChanged, this, &ReplayDialog::readFileName);
    connect(quadratureBox_, &QCheckBox::toggled, this, [this] { readFileName(fileEdit_->text()); });
    connect(carrierEdit_, &QLineEdit::textChanged, this, [this] { readFileName(fileEdit_->text()); });

    speedBox_ = new QComboBox(this);
    speedBox_->setObjectName(QStringLiteral("ReplayDialogSpeedBox"));
    for (const ReplaySpeedChoice& choice : kReplaySpeeds)
        speedBox_->addItem(QString::fromUtf8(choice.caption), int(choice.speed));

    errorLabel_ = new QLabel(this);
    errorLabel_->setObjectName(QStringLiteral("ReplayErrorLabel"));
    errorLabel_->setStyleSheet(QStringLiteral("color: #c00000"));

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("録音ファイル"), fileRow);
    form->addRow(QString(), quadratureBox_);
    form->addRow(QStringLiteral("搬送波"), iqRow);
    form->addRow(QStringLiteral("衛星"), satelliteBox_);
    form->addRow(QStringLiteral("通過方向"), directionBox_);
    form->addRow(QStringLiteral("録音開始 (日本時間 UT+9)"), timeEdit_);
    form->addRow(QString(), nameTimeLabel_);
    form->addRow(QStringLiteral("再生速度"), speedBox_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("再生"));
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("ReplayStartButton"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル"));
    connect(buttons, &QDialogButtonBox::accepted, this, &ReplayDialog::tryAccept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(errorLabel_);
    layout->addWidget(buttons);
}

void ReplayDialog::ask(const QString& path, ReplaySpeed speed) {
    if (!path.isEmpty()) fileEdit_->setText(path);
    speedBox_->setCurrentIndex(speedBox_->findData(int(speed)));
    errorLabel_->clear();
    open();
}

ReplayRequest ReplayDialog::request() const {
    ReplayRequest r;
    r.path = fileEdit_->text().trimmed();
    r.quadrature = quadratureBox_->isChecked();
    if (r.quadrature) {
        bool ok = false;
        const double hz = carrierEdit_->text().trimmed().toDouble(&ok);
        if (ok && std::isfinite(hz)) r.iqCarrierHz = hz;
        r.iqSwap = swapBox_->isChecked();
    }
    r.satellite = satelliteBox_->currentData().toString();
    r.direction = directionBox_->currentIndex() == 1 ? 1 : 0;
    r.directionFromOrbit = directionBox_->currentIndex() == 2;
    r.startTime = parseReplayStartTime(timeEdit_->text());
    r.speed = ReplaySpeed(speedBox_->currentData().toInt());
    return r;
}

void ReplayDialog::browse() {
    // A dialog of its own, opened without waiting: the window keeps running.
    auto* files = new QFileDialog(this, QStringLiteral("録音ファイルを開く"),
                                  QFileInfo(fileEdit_->text()).absolutePath());
    files->setObjectName(QStringLiteral("ReplayFileDialog"));
    files->setAttribute(Qt::WA_DeleteOnClose);
    files->setFileMode(QFileDialog::ExistingFile);
    files->setNameFilters({QStringLiteral("録音 (*.wav *.flac *.ogg *.oga *.aif *.aiff *.au *.caf *.w64 *.rf64)"),
                           QStringLiteral("すべてのファイル (*)")});
    connect(files, &QFileDialog::fileSelected, this, [this](const QString& file) { fileEdit_->setText(file); });
    files->open();
}

void ReplayDialog::readFileName(const QString& path) {
    const std::string file = path.trimmed().toStdString();
    const auto found = TimeFromFileName(file);
    if (found) {
        const DayTime station{StationDaysFromUnixSeconds(found->unixSeconds)};
        nameTimeLabel_->setText(QStringLiteral("ファイル名の時刻: %1 日本時間 (%2)")
                                    .arg(QString::fromStdString(FormatDateTime(station)),
                                         QString::fromStdString(found->convention)));
    } else {
        nameTimeLabel_->setText(path.trimmed().isEmpty()
                                    ? QString()
                                    : QStringLiteral("ファイル名に時刻がありません: 空欄なら更新日時から長さを引いた時刻 (概算)"));
    }
    // An I/Q recording's name gives its centre: the satellite lies at the
    // carrier, when one is given.
    std::optional<IqCarrier> iq;
    if (quadratureBox_->isChecked()) {
        bool ok = false;
        const double hz = carrierEdit_->text().trimmed().toDouble(&ok);
        iq = IqCarrier{ok && std::isfinite(hz) ? std::optional(hz) : std::nullopt};
    }
    if (const auto satellite =
            SatelliteOfRecording(file, found ? std::optional(found->unixSeconds) : std::nullopt, iq).name) {
        const int index = satelliteBox_->findData(QString::fromStdString(*satellite));
        if (index >= 0) satelliteBox_->setCurrentIndex(index);
    }
}

void ReplayDialog::tryAccept() {
    const ReplayRequest r = request();
    QString problem;
    if (r.path.isEmpty() || !QFileInfo(r.path).isFile())
        problem = QStringLiteral("録音ファイルがありません");
    else if (!timeEdit_->text().trimmed().isEmpty() && !r.startTime)
        problem = QStringLiteral("録音開始は YYYYMMDDHHMM で入れてください");
    else if (r.quadrature && !carrierEdit_->text().trimmed().isEmpty() && !r.iqCarrierHz)
        problem = QStringLiteral("搬送波は Hz の数値で入れてください");
    if (problem.isEmpty()) {
        // Said here, while the file can still be chosen again.
        RecordingReader probe;
        if (!probe.open(r.path.toStdString(), r.quadrature ? RecordingKind::Quadrature : RecordingKind::Audio))
            problem = explainRecordingError(QString::fromStdString(probe.errorMessage()));
    }
    if (!problem.isEmpty()) {
        QApplication::beep();
        errorLabel_->setText(problem);
        return;
    }
    accept();
    emit replayRequested(r);
}

}  // namespace sorae
