#include "ui/component_texts.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QSignalBlocker>
#include <QTabWidget>

#include "lang/language_file.h"
#include "ui/chart.h"
#include "ui/value_list_editor.h"

namespace {

bool Is(const QString& property, const char* name) {
    return property.compare(QLatin1String(name), Qt::CaseInsensitive) == 0;
}

QString Joined(const QStringList& lines) {
    return lines.join(QStringLiteral("\r\n"));
}

QStringList Lines(const QString& text) {
    return tLanguageController::SplitLines(text);
}

// The keys after the first: the first one is the action's own and no language changes it.
tTextAccess SecondaryShortcutAccess(QAction* a) {
    auto get = [a] {
        QStringList keys;
        const QList<QKeySequence> all = a->shortcuts();
        for (int i = 1; i < all.size(); ++i) keys << all[i].toString(QKeySequence::PortableText);
        return Joined(keys);
    };
    auto set = [a](const QString& text) {
        QList<QKeySequence> keys;
        if (!a->shortcut().isEmpty()) keys << a->shortcut();
        for (const QString& line : Lines(text)) {
            const QKeySequence key =
                QKeySequence::fromString(TrimBlanks(line), QKeySequence::PortableText);
            if (!key.isEmpty() && !keys.contains(key)) keys << key;
        }
        a->setShortcuts(keys);
    };
    return {get, set};
}

tTextAccess ActionAccess(QAction* a, const QString& property) {
    if (Is(property, "Caption"))
        return {[a] { return a->text(); }, [a](const QString& t) { a->setText(t); }};
    if (Is(property, "Hint"))
        return {[a] { return a->statusTip(); },
                [a](const QString& t) {
                    a->setToolTip(t);
                    a->setStatusTip(t);
                }};
    if (Is(property, "Category"))
        return {[a] { return a->property("Category").toString(); },
                [a](const QString& t) { a->setProperty("Category", t); }};
    if (Is(property, "SecondaryShortCuts")) return SecondaryShortcutAccess(a);
    return {};
}

tTextAccess ChartAccess(TChart* chart, const QString& property) {
    QCPAxis* axis = Is(property, "BottomAxis.Title.Caption")  ? chart->BottomAxis()
                    : Is(property, "LeftAxis.Title.Caption")  ? chart->LeftAxis()
                    : Is(property, "RightAxis.Title.Caption") ? chart->RightAxis()
                                                              : nullptr;
    if (!axis) return {};
    return {[axis] { return axis->label(); },
            [axis](const QString& t) { TChart::SetAxisTitle(axis, t); }};
}

// The value lists' names are kept on the series, though nothing shows them.
tTextAccess SeriesAccess(TChartSeries* s, const QString& property) {
    if (Is(property, "Title"))
        return {[s] { return s->Title(); }, [s](const QString& t) { s->SetTitle(t); }};
    if (!Is(property, "XValues.Name") && !Is(property, "YValues.Name")) return {};
    const QByteArray name = property.toLatin1();
    if (!s->property(name.constData()).isValid())
        s->setProperty(name.constData(), QString(name.at(0) == 'X' ? 'X' : 'Y'));
    return {[s, name] { return s->property(name.constData()).toString(); },
            [s, name](const QString& t) { s->setProperty(name.constData(), t); }};
}

tTextAccess ComboAccess(QComboBox* combo, const QString& property) {
    if (Is(property, "Text"))
        return {[combo] { return combo->currentText(); },
                [combo](const QString& t) { combo->setCurrentIndex(combo->findText(t)); }};
    if (!Is(property, "Items")) return {};
    auto get = [combo] {
        QStringList items;
        for (int i = 0; i < combo->count(); ++i) items << combo->itemText(i);
        return Joined(items);
    };
    // A new item list has nothing selected, as after any replacement of the items.
    auto set = [combo](const QString& t) {
        const QSignalBlocker blocker(combo);
        combo->clear();
        combo->addItems(Lines(t));
        combo->setCurrentIndex(-1);
    };
    return {get, set};
}

// New boxes come unchecked; the window checks them again from its charts.
tTextAccess CheckListAccess(QListWidget* list) {
    auto get = [list] {
        QStringList items;
        for (int i = 0; i < list->count(); ++i) items << list->item(i)->text();
        return Joined(items);
    };
    auto set = [list](const QString& t) {
        const QSignalBlocker blocker(list);
        list->clear();
        for (const QString& caption : Lines(t)) {
            auto* item = new QListWidgetItem(caption, list);
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
            item->setCheckState(Qt::Unchecked);
        }
    };
    return {get, set};
}

tTextAccess TableAccess(TValueListEditor* table, const QString& property) {
    if (Is(property, "TitleCaptions"))
        return {[table] {
                    QStringList titles;
                    for (int c = 0; c < table->columnCount(); ++c)
                        if (auto* header = table->horizontalHeaderItem(c)) titles << header->text();
                    return Joined(titles);
                },
                [table](const QString& t) {
                    const QStringList titles = Lines(t);
                    table->SetTitleCaptions(titles.value(0), titles.value(1));
                }};
    if (!Is(property, "Strings")) return {};
    auto get = [table] {
        QStringList rows;
        for (int r = 0; r < table->RowCount(); ++r)
            rows << table->KeyAt(r) + u'=' + table->ValueAt(r);
        return Joined(rows);
    };
    auto set = [table](const QString& t) {
        QStringList keys, values;
        for (const QString& line : Lines(t)) {
            const int eq = line.indexOf(u'=');
            keys << (eq < 0 ? line : line.left(eq));
            values << (eq < 0 ? QString() : line.mid(eq + 1));
        }
        table->SetRowCaptions(keys, values);
    };
    return {get, set};
}

// "Text|*.ext|Other|*.*" on one side, Qt's name filters ("Text (*.ext)") on the other.
QStringList NameFilters(const QString& filter) {
    const QStringList parts = filter.split(u'|');
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        const QString patterns = QString(parts[i + 1]).replace(u';', u' ');
        filters << (parts[i].contains(u'(') ? parts[i] : parts[i] + " (" + patterns + u')');
    }
    return filters;
}

QString FilterText(const QStringList& filters) {
    QStringList parts;
    for (const QString& f : filters) {
        const int open = f.lastIndexOf(u'('), close = f.lastIndexOf(u')');
        const QString patterns = open >= 0 && close > open ? f.mid(open + 1, close - open - 1) : f;
        parts << f << patterns.simplified().replace(u' ', u';');
    }
    return parts.join(u'|');
}

tTextAccess DialogAccess(QFileDialog* d, const QString& property) {
    if (Is(property, "DefaultExt"))
        return {[d] { return d->defaultSuffix(); },
                [d](const QString& t) { d->setDefaultSuffix(t); }};
    if (Is(property, "Filter"))
        return {[d] { return FilterText(d->nameFilters()); },
                [d](const QString& t) { d->setNameFilters(NameFilters(t)); }};
    return {};
}

tTextAccess CaptionAccess(QObject* c, QTabWidget* pages) {
    if (auto* menu = qobject_cast<QMenu*>(c))
        return {[menu] { return menu->title(); }, [menu](const QString& t) { menu->setTitle(t); }};
    if (auto* label = qobject_cast<QLabel*>(c))
        return {[label] { return label->text(); },
                [label](const QString& t) { label->setText(t); }};
    if (auto* button = qobject_cast<QAbstractButton*>(c))
        return {[button] { return button->text(); },
                [button](const QString& t) { button->setText(t); }};
    auto* page = qobject_cast<QWidget*>(c);
    if (!page || pages->indexOf(page) < 0) return {};
    return {[pages, page] { return pages->tabText(pages->indexOf(page)); },
            [pages, page](const QString& t) { pages->setTabText(pages->indexOf(page), t); }};
}

}  // namespace

tTextAccess ComponentTextAccess(QObject& root, QTabWidget* pages, const QString& name,
                                const QString& property) {
    QObject* c = root.findChild<QObject*>(name);
    if (!c) return {};
    if (auto* a = qobject_cast<QAction*>(c)) return ActionAccess(a, property);
    if (auto* chart = qobject_cast<TChart*>(c)) return ChartAccess(chart, property);
    if (auto* s = qobject_cast<TChartSeries*>(c)) return SeriesAccess(s, property);
    if (auto* combo = qobject_cast<QComboBox*>(c)) return ComboAccess(combo, property);
    if (auto* list = qobject_cast<QListWidget*>(c))
        return Is(property, "Items") ? CheckListAccess(list) : tTextAccess{};
    if (auto* table = qobject_cast<TValueListEditor*>(c)) return TableAccess(table, property);
    if (auto* d = qobject_cast<QFileDialog*>(c)) return DialogAccess(d, property);
    return Is(property, "Caption") ? CaptionAccess(c, pages) : tTextAccess{};
}
