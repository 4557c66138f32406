#include "orbit/qt/pass_list_dialog.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "orbit/pass_countdown.h"
#include "orbit/qt/sky_plot_widget.h"

namespace sorae {

namespace {

constexpr double kSampleSeconds = 10.0;
constexpr int kWeekDays = 7;
constexpr int kColumns = 12;
constexpr int kChoiceColumn = 11;

QString text(const std::string& s) { return QString::fromStdString(s); }

QString angle(double degrees) { return text(FormatFixed(degrees, 1)) + QStringLiteral("°"); }

QTableWidgetItem* cell(const QString& value, Qt::Alignment alignment = Qt::AlignRight | Qt::AlignVCenter) {
    auto* item = new QTableWidgetItem(value);
    item->setTextAlignment(alignment);
    return item;
}

}  // namespace

PassListDialog::PassListDialog(Host host, QWidget* parent) : QDialog(parent), host_(std::move(host)) {
    setObjectName(QStringLiteral("TForm11"));
    setWindowTitle(QStringLiteral("通過一覧"));

    table_ = new QTableWidget(0, kColumns, this);
    table_->setObjectName(QStringLiteral("ListView1"));
    table_->setHorizontalHeaderLabels({QStringLiteral("衛星"), QStringLiteral("周波数"), QStringLiteral("出現時刻"),
                                       QStringLiteral("出現方位"), QStringLiteral("最大仰角時刻"),
                                       QStringLiteral("最大仰角方位"), QStringLiteral("消失時刻"),
                                       QStringLiteral("消失方位"), QStringLiteral("最大仰角"), QStringLiteral("方向"),
                                       QStringLiteral("通過時間"), QStringLiteral("自動受信")});
    table_->verticalHeader()->hide();
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->horizontalHeader()->setStretchLastSection(true);

    weekBox_ = new QCheckBox(QStringLiteral("7日間"), this);
    weekBox_->setObjectName(QStringLiteral("CheckBox1"));
    auto* again = new QPushButton(QStringLiteral("再計算"), this);
    again->setObjectName(QStringLiteral("Button1"));
    summary_ = new QLabel(this);
    summary_->setObjectName(QStringLiteral("Label1"));
    countdown_ = new QLabel(this);
    countdown_->setObjectName(QStringLiteral("NextPassCountdown"));
    skyPlot_ = new SkyPlotWidget(this);

    auto* controls = new QHBoxLayout;
    controls->addWidget(weekBox_);
    controls->addWidget(again);
    controls->addWidget(summary_, 1);
    controls->addWidget(countdown_);
    auto* left = new QVBoxLayout;
    left->addLayout(controls);
    left->addWidget(table_, 1);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addWidget(skyPlot_);
    resize(1180, 460);

    connect(weekBox_, &QCheckBox::toggled, this, [this] { refresh(); });
    connect(again, &QPushButton::clicked, this, [this] { refresh(); });
    connect(table_, &QTableWidget::itemSelectionChanged, this, &PassListDialog::rowChosen);
    // The countdown and the satellites in the sky follow the clock.
    clock_.setInterval(1000);
    connect(&clock_, &QTimer::timeout, this, &PassListDialog::showNow);
}

DayTime PassListDialog::stationNow() const {
    const UtcInstant u = host_.request().now;
    return DayTime{EncodeDayTime(u.year, u.month, u.day, u.hour, u.minute, u.second).days + 9.0 / 24.0};
}

void PassListDialog::showNow() {
    const DayTime now = stationNow();
    // The next pass: the first of the list not over yet.
    const ListedPass* next = nullptr;
    for (const ListedPass& p : list_.passes) {
        if (p.end.days >= now.days) {
            next = &p;
            break;
        }
    }
    countdown_->setText(next == nullptr ? QString()
                                        : QStringLiteral("次の通過 %1 %2")
                                              .arg(text(next->satellite),
                                                   text(PassCountdownText(now, next->start, next->end))));
    // Every satellite of the list above the horizon now.
    const PassRequest request = host_.request();
    const StationSite station = StationSite::at(request.settings.stationLatDeg, request.settings.stationLonDeg);
    std::vector<SkyPlotWidget::Satellite> up;
    for (const OrbitalElements& set : list_.elements) {
        const SkyPoint p = LookAt(set, station, now);
        if (p.elevationDeg > 0.0) up.push_back({text(set.name), p.azimuthDeg, p.elevationDeg});
    }
    skyPlot_->setSatellitesNow(std::move(up));
}

void PassListDialog::hideEvent(QHideEvent* event) {
    clock_.stop();
    QDialog::hideEvent(event);
}

int PassListDialog::days() const { return weekBox_->isChecked() ? kWeekDays : 1; }

void PassListDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    refresh();
    clock_.start();
}

void PassListDialog::refresh() {
    const PassRequest request = host_.request();
    maxElevDeg_ = request.settings.maxElevDeg;
    const PassMemory* scheduler = host_.schedulerTable ? host_.schedulerTable() : nullptr;
    if (scheduler == nullptr) {
        list_ = ListPassesWithTableChoice(request, days());
    } else {
        list_ = ListAllPasses(request, days());
        TableChoice choice;
        choice.table = &scheduler->table;
        choice.satelliteCount = scheduler->satelliteCount;
        choice.skippedPassEnd = scheduler->skippedPassEnd;
        choice.tableWindowEnd = DayTime{list_.windowStart.days + 1.0};
        choice.maxElevDeg = maxElevDeg_;
        MarkTableChoice(list_, choice);
    }
    fillTable();
}

void PassListDialog::fillTable() {
    const QSignalBlocker quiet(table_);
    table_->clearContents();
    table_->setRowCount(int(list_.passes.size()));
    int received = 0;
    for (int row = 0; row < table_->rowCount(); ++row) {
        const ListedPass& p = list_.passes[std::size_t(row)];
        const QString choice = text(PassChoiceText(p, maxElevDeg_));
        received += p.choice == PassChoice::Received;
        const Qt::Alignment left = Qt::AlignLeft | Qt::AlignVCenter;
        table_->setItem(row, 0, cell(text(p.satellite), left));
        table_->setItem(row, 1, cell(text(FormatFixed(p.frequencyMHz, 4))));
        table_->setItem(row, 2, cell(text(FormatDateTime(p.start))));
        table_->setItem(row, 3, cell(angle(p.startAzimuthDeg)));
        table_->setItem(row, 4, cell(text(FormatTimeOfDay(p.culmination))));
        table_->setItem(row, 5, cell(angle(p.culminationAzimuthDeg)));
        table_->setItem(row, 6, cell(text(FormatTimeOfDay(p.end))));
        table_->setItem(row, 7, cell(angle(p.endAzimuthDeg)));
        table_->setItem(row, 8, cell(angle(p.maximumElevationDeg)));
        table_->setItem(row, 9, cell(text(DirectionText(p.direction)), Qt::AlignCenter));
        table_->setItem(row, 10, cell(text(PassDurationText(p.start, p.end))));
        table_->setItem(row, kChoiceColumn, cell(choice, left));
        if (p.choice == PassChoice::Received) {
            for (int column = 0; column < table_->columnCount(); ++column)
                table_->item(row, column)->setBackground(QColor(214, 240, 214));
        }
    }
    table_->resizeColumnsToContents();
    if (!list_.ok) {
        summary_->setText(QStringLiteral("軌道要素ファイルを読めません"));
    } else {
        summary_->setText(QStringLiteral("%1: %2 回の通過, 自動受信 %3 回")
                              .arg(days() == 1 ? QStringLiteral("24時間") : QStringLiteral("7日間"))
                              .arg(list_.passes.size())
                              .arg(received));
    }
    skyPlot_->clearTrack();
    showNow();
    emit selectionCleared();
}

void PassListDialog::rowChosen() {
    const QList<QTableWidgetItem*> chosen = table_->selectedItems();
    if (chosen.isEmpty()) {
        skyPlot_->clearTrack();
        emit selectionCleared();
        return;
    }
    const int row = chosen.front()->row();
    if (row < 0 || row >= int(list_.passes.size())) return;
    const ListedPass& p = list_.passes[std::size_t(row)];
    const PassRequest request = host_.request();
    const StationSite station = StationSite::at(request.settings.stationLatDeg, request.settings.stationLonDeg);
    std::vector<SkyPoint> samples = SampleSkyTrack(list_.elements[std::size_t(p.setIndex)], station, p.start,
                                                   p.end, kSampleSeconds);
    skyPlot_->setTrack(samples, text(p.satellite + " " + FormatDateTime(p.start)));
    emit passSelected(p, samples);
}

}  // namespace sorae
