#pragma once
// What korvo prints. Results go to standard output: for people on a terminal as aligned columns
// under a header, when piped as plain tab-separated lines without one, and with --json as one
// JSON object per line. Messages and the progress bar go to standard error; the bar only on a
// terminal, only once an operation has taken a second, and it is wiped before any other line.
// Cells and messages are printed through escapeControls(); JSON is escaped by its writer.

#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <vector>

namespace korvo::cli {

// The text with every control character (C0, DEL and C1) written as \xHH, so that bytes from a
// file or a sensor can neither steer the terminal nor cut a line short. Text without control
// characters comes back as it was, so escaping twice changes nothing.
QString escapeControls(const QString& text);

struct Column {
    QString title;
    int width = 0;  // padding on a terminal; the last column is never padded
};

class Output {
public:
    explicit Output(bool json);

    bool json() const { return json_; }
    bool stdoutIsTerminal() const { return stdoutTty_; }

    // The columns of the text rows that follow; the header is printed with the first row. On a
    // terminal, rows of a table that is not streamed are held back and printed together by
    // endTable(), each column as wide as its widest cell; streamed rows (a run) are padded to
    // the columns' widths as they come.
    void setColumns(std::vector<Column> columns, bool streamed = true);
    void endTable();
    // One result: the cells as text, or the object as one JSON line.
    void row(const QStringList& cells, const QJsonObject& object);
    void jsonLine(const QJsonObject& object);
    // On a terminal: the columns' header and these rows drawn over what the last call drew, each
    // column as wide as its widest cell (a live view).
    void redraw(const std::vector<QStringList>& rows);
    // Bytes as they are, to standard output (a parameter file, the help text).
    void raw(const QByteArray& bytes);

    // Whether standard output failed (a full disk, a terminal gone). The system's reason went to
    // standard error once; nothing more is written there. Being killed by SIGPIPE in a pipe is
    // left as it is.
    bool lost() const { return lost_; }
    // The exit status once standard output is flushed: status, or at least the usage error's
    // when the output was lost.
    int exitStatus(int status);
    // A line on standard error ("korvo: " in front of errors).
    void message(const QString& text);
    void error(const QString& text);

    // The bar on standard error: label, done of total (total 0: a count without an end).
    void progress(const QString& label, long done, long total);
    void endProgress();

private:
    void wipeProgress();
    void writeOut(const QByteArray& bytes);
    void outputFailed(int errorNumber);

    bool json_;
    bool stdoutTty_;
    bool stderrTty_;
    bool lost_ = false;
    std::vector<Column> columns_;
    bool streamed_ = true;
    std::vector<QStringList> heldRows_;
    bool headerDone_ = false;
    int drawnLines_ = 0;
    bool barShown_ = false;
    double barStart_ = -1.0;
    double barDrawn_ = -1.0;
};

}  // namespace korvo::cli
