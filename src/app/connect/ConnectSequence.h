#pragma once
// The connect sequence: line check, firmware text and firmware-ID decision, hardware information
// with the model applied to the panels, then both parameter halves from the sensor's RAM. The
// scope window's connect pop-up and the multiplexer's scope toggle run the same sequence; they
// differ only in the options below.

#include <cstdint>

namespace korvo {

struct ScopeApp;

struct ConnectOptions {
    bool dummyFrameFirst = true;        // send a dummy frame and wait 0.05 s before the line check
    bool multiplexerLineCheck = false;  // zero data words and 0.5 s instead of para0 and 1.0 s
    bool fullFailureHandling = true;    // on a failed line check also CONNECT on, pop-up shown,
                                        // exchange buttons dimmed (else only ACCEPT dimmed)
    bool waitBeforeFirmware = true;     // 0.05 s before the firmware text
    bool getOnPortInUse = false;        // the two GETs go to the port number in use
};

// Options of the connect pop-up and of the multiplexer's scope toggle.
ConnectOptions connectDialogOptions();
ConnectOptions multiplexerConnectOptions();

// Runs the sequence on COM port `port`. Returns 1 when the sensor was identified and its
// parameters read, 0 on a failure, -1 on a time-out of the line check.
int RunConnectSequence(ScopeApp& app, std::uint16_t port, const ConnectOptions& options);

// The connect pop-up's sequence.
int InitRS232DataExchange(ScopeApp& app, std::uint16_t port);
// The multiplexer's sequence (scope toggle).
int Init232DataExchange(ScopeApp& app, std::uint16_t port);

}  // namespace korvo
