// Event marks: "now" marked while measuring (Alt+M), a label typed or picked (Alt+L), the marks
// on every chart and the list of them that moves the cursor and the time origin in review.
#include <QAction>
#include <QInputDialog>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QToolBar>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

#include "app/settings.h"
#include "app/steady_clock.h"
#include "base/builtin_texts.h"
#include "base/exceptions.h"
#include "model/chart_rules.h"
#include "model/number_format.h"
#include "ui/chart.h"
#include "ui/chart_record.h"
#include "ui/event_mark_layer.h"
#include "ui/mainfm.h"

namespace {
const QString kMarkLabelsSetting = QStringLiteral("MarkLabels");
constexpr int kRecentLabels = 10;

QString Text(const char* name) { return LangConst(QLatin1String(name)); }
}  // namespace

void TfmMain::CreateEventMarks() {
    acDeviceMark = MakeAction("acDeviceMark", "Device", QStringLiteral("&Метка события"),
                                 QStringLiteral("Отметить текущий момент измерения"), 13);
    acDeviceMarkLabel =
        MakeAction("acDeviceMarkLabel", "Device", QStringLiteral("Подпись м&етки..."),
                   QStringLiteral("Отметить момент и подписать метку"), -1);
    // The Cyrillic letters on the same keys, as a Russian layout gives them.
    acDeviceMark->setShortcuts({QKeySequence(Qt::ALT | Qt::Key_M),
                                   QKeySequence(Qt::ALT | Qt::Key(0x042C /* Cyrillic Soft Sign */))});
    acDeviceMarkLabel->setShortcuts({QKeySequence(Qt::ALT | Qt::Key_L),
                                    QKeySequence(Qt::ALT | Qt::Key(0x0414 /* Cyrillic De */))});
    BindAction(acDeviceMark, &TfmMain::acDeviceMarkUpdate, &TfmMain::acDeviceMarkExecute);
    BindAction(acDeviceMarkLabel, &TfmMain::acDeviceMarkLabelUpdate,
               &TfmMain::acDeviceMarkLabelExecute);
    // In the device menu and on the tool bar, after Stop.
    const QList<QAction*> menuItems = miDevice->actions();
    const qsizetype stop = std::find_if(menuItems.begin(), menuItems.end(), [](QAction* a) {
                               return a->objectName() == QLatin1String("miDeviceStop");
                           }) - menuItems.begin();
    QAction* menuAfter = menuItems.value(stop + 1, nullptr);
    for (auto [action, name] : {std::pair{acDeviceMark, "miDeviceMark"},
                                std::pair{acDeviceMarkLabel, "miDeviceMarkLabel"}}) {
        LinkMenuItem(miDevice, action, name);
        QAction* item = miDevice->actions().constLast();
        miDevice->removeAction(item);
        miDevice->insertAction(menuAfter, item);
    }
    const QList<QAction*> tools = tlbMain->actions();
    QAction* toolAfter = tools.value(tools.indexOf(acDeviceStop) + 1, nullptr);
    tlbMain->insertAction(toolAfter, acDeviceMark);
    QWidget* button = tlbMain->widgetForAction(acDeviceMark);
    button->setObjectName(QStringLiteral("tbDeviceMark"));
    button->setFixedSize(tlbMain->widgetForAction(acDeviceStop)->size());

    lbEventMarks = new QLabel(QStringLiteral("Метки событий"), Panel1);
    lbEventMarks->setObjectName(QStringLiteral("lbEventMarks"));
    lwEventMarks = new QListWidget(Panel1);
    lwEventMarks->setObjectName(QStringLiteral("lwEventMarks"));
    lwEventMarks->setAccessibleName(lbEventMarks->text());
    lbEventMarks->setBuddy(lwEventMarks);
    lwEventMarks->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(lwEventMarks, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { SetReviewMarkerAtMark(item, false); });
    connect(lwEventMarks, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { SetReviewMarkerAtMark(item, false); });
    connect(lwEventMarks, &QListWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { ShowEventMarkMenu(at); });
    if (auto* layout = qobject_cast<QVBoxLayout*>(Panel1->layout())) {
        const int at = layout->indexOf(chSeries) + 1;
        layout->insertWidget(at, lbEventMarks);
        layout->insertWidget(at + 1, lwEventMarks, 1);
    }
    for (TChart* chart : Charts()) new TEventMarkLayer(chart, &eventMarks_);
}

void TfmMain::RetranslateEventMarks() {
    lbEventMarks->setText(Text("LC_MARKS_TITLE"));
    lwEventMarks->setAccessibleName(lbEventMarks->text());
    RetranslateMarkItems();
}

void TfmMain::acDeviceMarkUpdate() { acDeviceMark->setEnabled(session_->CanMark()); }

void TfmMain::acDeviceMarkLabelUpdate() {
    acDeviceMarkLabel->setEnabled(session_->CanMark() ||
                                 (!IsMeasuring() && lwEventMarks->currentItem() != nullptr));
}

void TfmMain::acDeviceMarkExecute() {
    // The moment of the press, before anything else runs.
    session_->Mark(QString(), SteadySeconds());
}

void TfmMain::acDeviceMarkLabelExecute() {
    const double pressed = SteadySeconds();
    if (session_->CanMark()) {
        if (const auto number = session_->Mark(QString(), pressed)) AskMarkLabel(*number);
        return;
    }
    if (QListWidgetItem* item = lwEventMarks->currentItem()) AskMarkLabel(item->data(Qt::UserRole).toInt());
}

void TfmMain::MarkPlaced(const tEventMark& mark) { ShowEventMark(mark); }

void TfmMain::MarkLabelled(const tEventMark& mark) { ShowEventMark(mark); }

void TfmMain::ClearEventMarks() { SetEventMarks(tEventMarks()); }

void TfmMain::SetEventMarks(const tEventMarks& marks) {
    eventMarks_ = marks;
    lwEventMarks->clear();
    for (const tEventMark& mark : eventMarks_.All()) ShowEventMark(mark);
    RedrawEventMarks();
}

namespace {
QString MarkItemText(const tEventMark& mark) {
    return FormatFixed(mark.at, 3) + QStringLiteral("  ") + mark.label;
}
}  // namespace

// One item changes or comes in at its place in time order; the list is not built anew, so a
// mark costs the same with a thousand before it.
void TfmMain::ShowEventMark(const tEventMark& mark) {
    eventMarks_.Restore(mark);
    const std::vector<tEventMark>& all = eventMarks_.All();
    const int row = int(std::find_if(all.begin(), all.end(),
                                     [&](const tEventMark& m) { return m.number == mark.number; }) -
                        all.begin());
    QListWidgetItem* item = nullptr;
    for (int i = 0; i < lwEventMarks->count() && !item; ++i)
        if (lwEventMarks->item(i)->data(Qt::UserRole).toInt() == mark.number) item = lwEventMarks->item(i);
    if (!item) {
        item = new QListWidgetItem;
        item->setData(Qt::UserRole, mark.number);
        lwEventMarks->insertItem(row, item);
    }
    item->setText(MarkItemText(all[size_t(row)]));
    item->setToolTip(all[size_t(row)].label);
    RedrawEventMarks();
}

void TfmMain::RedrawEventMarks() {
    for (TChart* chart : Charts()) {
        chart->MarksChanged();
        chart->replot(QCustomPlot::rpQueuedReplot);
    }
}

void TfmMain::RetranslateMarkItems() {
    for (int i = 0; i < lwEventMarks->count(); ++i) {
        QListWidgetItem* item = lwEventMarks->item(i);
        if (const tEventMark* mark = eventMarks_.Find(item->data(Qt::UserRole).toInt()))
            item->setText(MarkItemText(*mark));
    }
}

QStringList TfmMain::RecentMarkLabels() const {
    QStringList labels =
        settings_->GetSettingByName(kMarkLabelsSetting).split(u'\t', Qt::SkipEmptyParts);
    if (labels.size() > kRecentLabels) labels = labels.mid(0, kRecentLabels);
    return labels;
}

void TfmMain::AskMarkLabel(int number) {
    const tEventMark* mark = eventMarks_.Find(number);
    auto* dialog = new QInputDialog(this);
    dialog->setObjectName(QStringLiteral("dlgMarkLabel"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(Text("LC_MARK_LABEL_TITLE").arg(number));
    dialog->setLabelText(Text("LC_MARK_LABEL_PROMPT"));
    dialog->setComboBoxEditable(true);
    // The labels used last come first; the field starts with the mark's own label.
    QStringList items = RecentMarkLabels();
    const QString own = mark && mark->label != QString::number(number) ? mark->label : QString();
    items.removeAll(own);
    items.prepend(own);
    dialog->setComboBoxItems(items);
    dialog->setTextValue(own);
    connect(dialog, &QInputDialog::textValueSelected, this,
            [this, number](const QString& label) { ApplyMarkLabel(number, label); });
    // Measuring goes on while the label is typed.
    dialog->open();
}

void TfmMain::ApplyMarkLabel(int number, const QString& typed) {
    const QString label = CleanMarkLabel(typed);
    const bool sessions = !openedRecord_ && session_->Marks().Find(number) != nullptr;
    if (sessions) {
        session_->RelabelMark(number, label);
    } else if (const tEventMark* mark = eventMarks_.Find(number)) {
        ShowEventMark({number, mark->at, label});
    }
    if (label.isEmpty()) return;
    QStringList recent = RecentMarkLabels();
    recent.removeAll(label);
    recent.prepend(label);
    try {
        settings_->SetSettingByName(kMarkLabelsSetting, recent.mid(0, kRecentLabels).join(u'\t'));
        settings_->Save(QString());
    } catch (const Exception&) {
        // The label is kept on the mark; only the list of recent labels is not remembered.
    }
}

void TfmMain::ShowEventMarkMenu(const QPoint& at) {
    QListWidgetItem* item = lwEventMarks->itemAt(at);
    if (!item) return;
    lwEventMarks->setCurrentItem(item);
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("pmEventMark"));
    const int number = item->data(Qt::UserRole).toInt();
    menu.addAction(Text("LC_MARK_LABEL"), this, [this, number] { AskMarkLabel(number); });
    QAction* cursor =
        menu.addAction(Text("LC_MARK_CURSOR"), this, [this, item] { SetReviewMarkerAtMark(item, false); });
    QAction* origin =
        menu.addAction(Text("LC_MARK_ORIGIN"), this, [this, item] { SetReviewMarkerAtMark(item, true); });
    cursor->setEnabled(!IsMeasuring());
    origin->setEnabled(!IsMeasuring());
    menu.exec(lwEventMarks->viewport()->mapToGlobal(at));
}

void TfmMain::SetReviewMarkerAtMark(QListWidgetItem* item, bool origin) {
    if (!item || IsMeasuring() || !HasReviewRecord()) return;
    const tEventMark* mark = eventMarks_.Find(item->data(Qt::UserRole).toInt());
    if (!mark) return;
    const tChartRecord record(chAll);
    const int index = NearestSampleIndex(record, mark->at);
    if (index < 0) return;
    // A mark outside the page brings the page to it.
    for (TChart* chart : Charts()) {
        const QCPRange range = chart->BottomAxis()->range();
        if (!chart->TimeAxisAutomatic() && !range.contains(mark->at))
            chart->BottomAxis()->setRange(mark->at - range.size() / 2, mark->at + range.size() / 2);
    }
    SetReviewMarker(index, origin);
    RepaintVisibleChart();
}
