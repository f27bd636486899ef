#pragma once
// One recording of the data recorder, without any widget: the header, then samples until the
// count is reached, the line fails or the operator stops. In mode 0 the recorder asks for each
// sample (command 18) one time step after it noticed the last one was due, the first one a step
// after the start; in the triggered modes it stores every record the sensor sends on its own.
// The data file is held and locked for the whole recording and emptied at its start; each sample
// is appended at once, so whatever ends the recording, the file holds the header and every line
// so far. The loop sleeps on the event loop between samples; the stop button runs inside it.

#include <QString>
#include <cstdint>
#include <functional>

#include "core/link/PortSensor.h"
#include "core/record/RecorderDataFile.h"
#include "core/record/RecorderFile.h"

namespace korvo {

enum class RecordEnd {
    Completed,   // the sample count was reached (stop flag 2)
    TimedOut,    // mode 0: no record within 1.0 s of a request (stop flag 3)
    Stopped,     // the operator stopped it (stop flag 1)
    LineLost,    // the port hung up while waiting for triggered records (stop flag 3)
    FileFailed,  // the header or a line could not be written (stop flag 3)
};

struct RecordingPlan {
    int port = 1;
    int mode = 0;               // RS-232 mode: 0 asks for each sample, others wait for records
    double step = 1.0;          // seconds between samples in mode 0
    std::uint16_t samples = 1;  // the count that completes the recording
    QString path;               // the data file, emptied at the start
    RecorderHeader header;      // its header block
};

class RecordingSession {
public:
    // Samples are decoded into the sensor's run record, which the window shows.
    explicit RecordingSession(PortSensor& sensor);

    struct View {
        std::function<void(const QString&)> state;                 // the recorder's state text
        std::function<void(const RunRecord&, long count)> sample;  // a sample was written
        std::function<void(std::int32_t)> elapsed;                 // whole seconds since the start
    };

    // Takes the data file (see RecorderDataFile::open) before anything else happens, so that a
    // file another recording holds is refused before the sensor is touched. run() opens the
    // plan's path itself when it is not open yet.
    FileResult openFile(const QString& path);

    RecordEnd run(const RecordingPlan& plan, const View& view);

    long count() const { return count_; }
    // Why the file could not be written (FileFailed).
    QString fileError() const { return fileError_; }

private:
    bool store(const RecordingPlan& plan, const View& view);
    RecordEnd askEachStep(const RecordingPlan& plan, const View& view, double start);
    RecordEnd takeTriggered(const RecordingPlan& plan, const View& view, double start);

    PortSensor& sensor_;
    RecorderDataFile file_;
    long count_ = 0;
    QString fileError_;
};

}  // namespace korvo
