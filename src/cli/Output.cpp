#include "cli/Output.h"

#include <stdio_ext.h>
#include <unistd.h>

#include <QJsonDocument>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>

#include "cli/Args.h"

namespace korvo::cli {

namespace {

double monotonicSeconds() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

constexpr double kBarDelay = 1.0;     // an operation shows its bar once it has taken this long
constexpr double kBarInterval = 0.1;  // redrawn at most this often
constexpr int kBarWidth = 30;

bool isControl(char16_t c) {
    return c < 0x20 || c == 0x7F || (c >= 0x80 && c < 0xA0);
}

}  // namespace

QString escapeControls(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (isControl(c.unicode())) {
            out += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        } else {
            out += c;
        }
    }
    return out;
}

Output::Output(bool json)
    : json_(json),
      stdoutTty_(::isatty(STDOUT_FILENO) == 1),
      stderrTty_(::isatty(STDERR_FILENO) == 1) {}

void Output::setColumns(std::vector<Column> columns, bool streamed) {
    endTable();
    columns_ = std::move(columns);
    streamed_ = streamed;
    headerDone_ = false;
}

void Output::endTable() {
    if (heldRows_.empty()) return;
    std::vector<QStringList> rows = std::move(heldRows_);
    heldRows_.clear();
    for (QStringList& cells : rows)
        for (int i = 0; i < cells.size() && i < static_cast<int>(columns_.size()); ++i)
            columns_[i].width = std::max<int>(columns_[i].width, cells[i].size());
    streamed_ = true;
    for (const QStringList& cells : rows) row(cells, {});
    streamed_ = false;
}

void Output::writeOut(const QByteArray& bytes) {
    wipeProgress();
    if (lost_) return;
    errno = 0;
    const std::size_t size = static_cast<std::size_t>(bytes.size());
    if (std::fwrite(bytes.constData(), 1, size, stdout) != size || std::fflush(stdout) != 0)
        outputFailed(errno);
}

void Output::outputFailed(int errorNumber) {
    lost_ = true;
    // What is still buffered can never be written; it must not be tried again at exit.
    __fpurge(stdout);
    error(QStringLiteral("standard output: ") +
          QString::fromLocal8Bit(std::strerror(errorNumber != 0 ? errorNumber : EIO)));
}

int Output::exitStatus(int status) {
    if (!lost_ && (std::fflush(stdout) != 0 || std::ferror(stdout) != 0)) outputFailed(errno);
    return lost_ ? std::max<int>(status, kExitUsage) : status;
}

void Output::row(const QStringList& rawCells, const QJsonObject& object) {
    if (json_) {
        jsonLine(object);
        return;
    }
    // Each cell on its own, so that a tab from a file cannot add a column.
    QStringList cells;
    for (const QString& cell : rawCells) cells << escapeControls(cell);
    if (stdoutTty_ && !streamed_) {
        heldRows_.push_back(cells);
        return;
    }
    QString line;
    if (!stdoutTty_) {
        // Piped: the fields as they are, one tab between them, for cut, awk and the like.
        line = cells.join(QLatin1Char('\t'));
    } else {
        const auto aligned = [this](const QStringList& texts) {
            QString out;
            for (int i = 0; i < texts.size(); ++i) {
                const bool last = i + 1 == texts.size();
                const int width = i < static_cast<int>(columns_.size()) ? columns_[i].width : 0;
                out += last ? texts[i] : texts[i].leftJustified(width) + QStringLiteral("  ");
            }
            return out;
        };
        if (!headerDone_ && !columns_.empty()) {
            QStringList titles;
            for (Column& c : columns_) {
                c.width = std::max<int>(c.width, c.title.size());
                titles << c.title;
            }
            line = aligned(titles) + QLatin1Char('\n');
            headerDone_ = true;
        }
        line += aligned(cells);
    }
    writeOut(line.toUtf8() + '\n');
}

void Output::redraw(const std::vector<QStringList>& rawRows) {
    std::vector<QStringList> rows;
    QStringList titles;
    for (const Column& c : columns_) titles << c.title;
    rows.push_back(titles);
    for (const QStringList& r : rawRows) {
        QStringList cells;
        for (const QString& cell : r) cells << escapeControls(cell);
        rows.push_back(cells);
    }
    std::vector<int> widths;
    for (const QStringList& r : rows) {
        for (int i = 0; i < r.size(); ++i) {
            if (i >= static_cast<int>(widths.size())) widths.push_back(0);
            widths[i] = std::max<int>(widths[i], r[i].size());
        }
    }
    // Back to the first line drawn last time; each line is cleared before it is written.
    QString text = drawnLines_ > 0 ? QStringLiteral("\x1b[%1F").arg(drawnLines_) : QString();
    for (const QStringList& r : rows) {
        text += QStringLiteral("\x1b[2K");
        for (int i = 0; i < r.size(); ++i)
            text += i + 1 == r.size() ? r[i] : r[i].leftJustified(widths[i]) + QStringLiteral("  ");
        text += QLatin1Char('\n');
    }
    // Lines the table had before and has no more.
    for (int i = static_cast<int>(rows.size()); i < drawnLines_; ++i)
        text += QStringLiteral("\x1b[2K\n");
    drawnLines_ = std::max<int>(drawnLines_, static_cast<int>(rows.size()));
    writeOut(text.toUtf8());
}

void Output::jsonLine(const QJsonObject& object) {
    writeOut(QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n');
}

void Output::raw(const QByteArray& bytes) {
    writeOut(bytes);
}

void Output::message(const QString& text) {
    wipeProgress();
    std::fprintf(stderr, "%s\n", escapeControls(text).toLocal8Bit().constData());
    std::fflush(stderr);
}

void Output::error(const QString& text) {
    message(QStringLiteral("korvo: ") + text);
}

void Output::progress(const QString& label, long done, long total) {
    if (!stderrTty_) return;
    const double now = monotonicSeconds();
    if (barStart_ < 0.0) barStart_ = now;
    const bool finished = total > 0 && done >= total;
    if (now - barStart_ < kBarDelay || (now - barDrawn_ < kBarInterval && !finished)) return;
    barDrawn_ = now;
    QString bar;
    if (total > 0) {
        const long clamped = std::min(done, total);
        const int filled = static_cast<int>(kBarWidth * clamped / total);
        bar = QStringLiteral("[%1%2] %3% %4/%5")
                  .arg(QString(filled, QLatin1Char('#')),
                       QString(kBarWidth - filled, QLatin1Char('.')))
                  .arg(100 * clamped / total, 3)
                  .arg(clamped)
                  .arg(total);
    } else {
        bar = QString::number(done);
    }
    std::fprintf(stderr, "\r\033[K%s %s", label.toLocal8Bit().constData(),
                 bar.toLocal8Bit().constData());
    std::fflush(stderr);
    barShown_ = true;
}

void Output::endProgress() {
    wipeProgress();
    barStart_ = -1.0;
    barDrawn_ = -1.0;
}

void Output::wipeProgress() {
    if (!barShown_) return;
    std::fputs("\r\033[K", stderr);
    std::fflush(stderr);
    barShown_ = false;
    barDrawn_ = -1.0;
}

}  // namespace korvo::cli
