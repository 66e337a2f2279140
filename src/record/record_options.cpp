#include "record/record_options.h"

#include <cmath>

namespace {
bool IsLabel(const QString& text) {
    if (text.isEmpty() || text.size() > 64) return false;
    for (const QChar c : text)
        if (!(c.isDigit() || (c.unicode() < 0x80 && c.isLetter()))) return false;
    return true;
}

bool IsFileName(const QString& text) {
    if (text.isEmpty() || text.size() > 200 || text == u'.' || text == QStringLiteral(".."))
        return false;
    for (const QChar c : text)
        if (c == u'/' || c.unicode() < 0x20 || c.unicode() == 0x7f) return false;
    return true;
}

const QStringList kValueOptions = {
    QStringLiteral("--port"),   QStringLiteral("--duration"), QStringLiteral("--lines"),
    QStringLiteral("--out"),    QStringLiteral("--name"),     QStringLiteral("--format"),
    QStringLiteral("--config"), QStringLiteral("--subject"),  QStringLiteral("--task"),
};

tRecordParse Fail(const QString& error) { return {tRecordParse::Error, error}; }

// Takes one option with its value; an error text, or "".
QString Take(const QString& name, const QString& value, tRecordOptions& o) {
    if (name == QLatin1String("--port")) {
        if (value.isEmpty()) return QStringLiteral("--port needs a path");
        if (o.ports.contains(value)) return QStringLiteral("--port %1 is named twice").arg(value);
        o.ports << value;
    } else if (name == QLatin1String("--duration")) {
        bool ok = false;
        const double seconds = value.toDouble(&ok);
        if (!ok || !std::isfinite(seconds) || seconds <= 0 || seconds > 2e6)
            return QStringLiteral("--duration needs a number of seconds above 0");
        o.duration = seconds;
    } else if (name == QLatin1String("--lines")) {
        bool ok = false;
        const long long n = value.toLongLong(&ok);
        if (!ok || n <= 0) return QStringLiteral("--lines needs a whole number above 0");
        o.lines = n;
    } else if (name == QLatin1String("--out")) {
        if (value.isEmpty()) return QStringLiteral("--out needs a folder");
        o.out = value;
    } else if (name == QLatin1String("--name")) {
        if (!IsFileName(value))
            return QStringLiteral("--name needs a file name without \"/\" or control characters");
        o.name = value;
    } else if (name == QLatin1String("--format")) {
        if (value == QLatin1String("window")) o.format = tRecordOptions::Window;
        else if (value == QLatin1String("data")) o.format = tRecordOptions::Data;
        else if (value == QLatin1String("bids")) o.format = tRecordOptions::Bids;
        else return QStringLiteral("--format is window, data or bids, not \"%1\"").arg(value);
    } else if (name == QLatin1String("--config")) {
        if (value.isEmpty()) return QStringLiteral("--config needs a file");
        o.config = value;
    } else if (name == QLatin1String("--subject") || name == QLatin1String("--task")) {
        if (!IsLabel(value)) return name + QStringLiteral(" needs letters and digits only");
        (name == QLatin1String("--subject") ? o.subject : o.task) = value;
    }
    return QString();
}
}  // namespace

tRecordParse ParseRecordOptions(const QStringList& arguments, tRecordOptions& o) {
    for (int i = 0; i < arguments.size(); ++i) {
        QString name = arguments[i];
        QString value;
        bool hasValue = false;
        const qsizetype eq = name.indexOf(u'=');
        if (name.startsWith(QLatin1String("--")) && eq > 2) {
            value = name.mid(eq + 1);
            name = name.left(eq);
            hasValue = true;
        }
        if (name == QLatin1String("--help") || name == QLatin1String("-h")) {
            if (hasValue) return Fail(QStringLiteral("--help takes no value"));
            return {tRecordParse::Help, QString()};
        }
        if (name == QLatin1String("--version")) {
            if (hasValue) return Fail(QStringLiteral("--version takes no value"));
            return {tRecordParse::Version, QString()};
        }
        if (name == QLatin1String("--all") || name == QLatin1String("--quiet")) {
            if (hasValue) return Fail(name + QStringLiteral(" takes no value"));
            (name == QLatin1String("--all") ? o.all : o.quiet) = true;
            continue;
        }
        if (!kValueOptions.contains(name)) {
            return Fail(name.startsWith(u'-') ? QStringLiteral("unknown option %1").arg(name)
                                              : QStringLiteral("unexpected argument %1").arg(name));
        }
        if (!hasValue) {
            if (i + 1 >= arguments.size()) return Fail(name + QStringLiteral(" needs a value"));
            value = arguments[++i];
        }
        const QString error = Take(name, value, o);
        if (!error.isEmpty()) return Fail(error);
    }
    if (o.all && !o.ports.isEmpty()) return Fail(QStringLiteral("--all and --port exclude each other"));
    return {};
}

QString RecordVersion() {
    return QStringLiteral("mirelvane-record " MIRELVANE_FILE_VERSION "\n");
}

QString RecordUsage() {
    return QStringLiteral(R"(Usage: mirelvane-record [OPTION]...
Records the motion-sensor ball, or several at once, without a window: each ball's journal
while it runs, each ball's export at the end.

Balls:
  --port PATH        record the ball on PATH (repeat for several balls)
  --all              record every ball that answers
                     (with neither: the first ball found, as Connect does; the ports
                     probed are those of the setting Ports, or the system's list)
End:
  --duration SECONDS stop after this long
  --lines N          stop once every ball has sent N lines
                     (without them: until "stop", Ctrl+C, SIGTERM or SIGHUP)
Files:
  --out DIR          folder of the files (default: the current folder; made if missing)
  --name TEXT        base of the file names (default: the start time)
  --format FORMAT    window: tab-separated as the window exports (default)
                     data: UTF-8, decimal point, header line (Python, R, MATLAB)
                     bids: a Motion-BIDS dataset in DIR
  --subject LABEL    BIDS subject (default 01)
  --task LABEL       BIDS task (default recording)
  --config FILE      settings: Ports, AccRange, GyroRange, Relative, LostTimeout,
                     AutoReconnect, RecordKeep, CheckCount, CheckTimeout
Output:
  --quiet            print events and errors only (also when not on a terminal)
  --help             show this text
  --version          show the version

Commands on standard input, one a line: "mark LABEL", "pause", "resume", "stop".
End of input does not stop the recording.

Exit status: 0 done; 2 bad usage; 3 no ball found; 4 a ball was lost and did not come
back (its data are kept); 5 a file could not be written.
)");
}
