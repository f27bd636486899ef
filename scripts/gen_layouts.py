#!/usr/bin/env python3
"""Generates the two screen-layout files, the two logo bitmaps and the control-id header of
KORVO-KM-Scope.

    python3 scripts/gen_layouts.py            write layouts/*.uir, layouts/*.bmp and
                                              src/app/shell/ControlIds.h
    python3 scripts/gen_layouts.py --out DIR  write the same files below DIR (DIR/layouts/...,
                                              DIR/src/app/shell/ControlIds.h)
    python3 scripts/gen_layouts.py --check    parse the written layouts and check them against the
                                              id table (ids, callbacks, no id without a name);
                                              check that ControlIds.h is the table's

The id table below is the one source of the control ids: the layouts take their "resourceId" and
"ctrlId" numbers from it and ControlIds.h is written from it. Edit the table, never the header.

The layout files are Qt Designer XML read by QUiLoader. The root widget is a plain container that
is never shown; each panel resource is a direct child carrying the dynamic properties "resourceId"
and (for panels with a panel callback) "callback". Every control the program addresses carries
"ctrlId" and, when it has one, "callback"; plain captions carry neither.

Only the Python standard library is used; the bitmaps are written with struct.
"""

import argparse
import os
import re
import struct
import sys
import types
import xml.etree.ElementTree as ET
from xml.sax.saxutils import escape

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
IDS_HEADER = os.path.join("src", "app", "shell", "ControlIds.h")  # below the output root

SCOPE_FILE = "KORVO-KM-MPLEX-ScopeV318.uir"
MPLEX_FILE = "MPLEX-16-ControlV100.uir"

BAUD_ITEMS = [("9600", 0), ("19200", 1), ("38400", 2), ("57600", 3), ("115200", 4)]

CUSTOM_WIDGETS = {
    "GraphWidget": "ui/Graph.h",
    "LedIndicator": "ui/LedIndicator.h",
    "BinarySwitch": "ui/BinarySwitch.h",
}


# ---------------------------------------------------------------------------------------------
# Control ids. Each group is (heading, rows), a row (name, value, comment or None); a heading that
# is a layout file name opens that file's part of the header. The numbers that the program's
# behaviour fixes are kept; the others are ours. A callback named in a comment is checked against
# the layouts.
# ---------------------------------------------------------------------------------------------

ID_GROUPS = [
    (MPLEX_FILE, [
        ("RES_MPC", 1, "multiplexer panel (top level), callback CC_PANEL_MPC"),
        ("RES_PORT", 2, "group panel and port panel (the same resource)"),
    ]),
    ("Multiplexer panel", [
        ("MPC_TAB", 2, 'tab control, pages "MPC-Tab1".."MPC-Tab7"'),
        ("MPC_TEACHVAL", 3, "general teach value (unsigned 16-bit)"),
        ("MPC_TOLHIGH", 4, "general upper tolerance"),
        ("MPC_TOLLOW", 5, "general lower tolerance"),
        ("MPC_STATUS", 6, "status line (text)"),
        ("MPC_INIFILE", 7, "text box: settings file last read or written"),
        ("MPC_INIT", 8, "CC_BTNinit"),
        ("MPC_INITALL", 9, "CC_BTNinitAll"),
        ("MPC_TEACH", 10, "CC_BTNteach"),
        ("MPC_TEACHALL", 11, "CC_BTNteachAll"),
        ("MPC_STOP", 12, "CC_BTNstop"),
        ("MPC_SAVE", 13, "CC_PICBTNsave"),
        ("MPC_LOAD", 14, "CC_PICBTNloadfile"),
        ("MPC_LINE", 15, "CC_BTNline: the line monitor's window"),
    ]),
    ("Controls on each tab page (the page is a panel of its own)", [
        ("TAB_ENABLE", 2, "group enable switch, CC_BINSWenable"),
        ("TAB_EXTRA1", 3, "column header, dimmed with the group"),
        ("TAB_EXTRA2", 4, "group caption, dimmed with the group"),
    ]),
    ("Port panel (and group panel)", [
        ("PORT_COM", 2, "COM port number (unsigned 16-bit)"),
        ("PORT_BAUD", 3, "baud index (ring, values 0..4)"),
        ("PORT_ENABLE", 4, 'check box "P1".."P16", CC_Check'),
        ("PORT_SCOPE", 5, "scope toggle, CC_TOGGscope"),
        ("PORT_STATUS", 6, "status field, CC_DispStatus"),
        ("PORT_GROUP", 7, "group number 0..6 (hidden)"),
        ("PORT_NUMBER", 8, "port number 0..15 (hidden)"),
    ]),
    (SCOPE_FILE, [
        ("RES_CALIB", 1, None),
        ("RES_CONNECT", 2, None),
        ("RES_MAIN", 3, "callback CC_PANEL"),
        ("RES_PARA1", 4, None),
        ("RES_PARA2", 5, None),
        ("RES_RECORDER", 6, None),
    ]),
    ("Main panel", [
        ("MAIN_STATUS", 2, "status line"),
        ("MAIN_PORTNUM", 3, "port-number indicator"),
        ("MAIN_RUN", 4, "CC_BTNRun"),
        ("MAIN_VIDEO", 5, "CC_BTNVideo"),
        ("MAIN_SEND", 6, "CC_BTNSend"),
        ("MAIN_GET", 7, "CC_BTNGet"),
        ("MAIN_STOP", 8, "CC_BTNStop"),
        ("MAIN_RAM", 9, "CC_RBTRam"),
        ("MAIN_EEPROM", 10, "CC_RBTEeprom"),
        ("MAIN_FILE", 11, "CC_RBTFile"),
        ("MAIN_EDGELEFT", 15, "E-BEG, CC_NEDITEdgeLeft"),
        ("MAIN_EDGERIGHT", 16, "E-END, CC_NEDITEdgeRight"),
        ("MAIN_ANAVALUE", 18, "analog-output value"),
        ("MAIN_ANAMAX", 19, "maximum"),
        ("MAIN_DARKPIX", 21, "dark-pixel count"),
        ("MAIN_ANAMIN", 22, "minimum"),
        ("MAIN_RESET", 23, "CC_ButtonReset"),
        ("MAIN_TRIGCOMP", 24, "trigger companion caption"),
        ("MAIN_ANACOMP", 26, "analog companion caption"),
        ("MAIN_MVALUE_MM", 28, "measured value in millimetres"),
        ("MAIN_MVALUE", 29, "measured value"),
        ("MAIN_TOLUP_MM", 30, "upper tolerance in millimetres"),
        ("MAIN_TOLLOW_MM", 31, "lower tolerance in millimetres"),
        ("MAIN_LEFTEDGE", 32, None),
        ("MAIN_RIGHTEDGE", 33, None),
        ("MAIN_GRAPH256", 36, "256-point graph, CC_GRAPHData"),
        ("MAIN_VIDEOGRAPH", 37, "CC_GRAPHVideo"),
        ("MAIN_PROFILE", 38, "profile graph"),
        ("MAIN_ROLLGRAPH", 40, "CC_GRAPHRaw"),
        ("MAIN_RAWTOGGLE", 44, "CC_TOGGButtonRaw"),
        ("MAIN_ZOOMTOGGLE", 45, "CC_TOGGButtonZoom"),
        ("MAIN_OUTLED_B", 47, "output indicator (bit 1)"),
        ("MAIN_TRIGLED", 48, "internal-trigger indicator"),
        ("MAIN_OUTLED_A", 49, "output indicator (bit 0)"),
        ("MAIN_TAB_PARA1", 50, "CC_TOGGBTN_Para1"),
        ("MAIN_TAB_PARA2", 51, "CC_TOGGBTN_Para2"),
        ("MAIN_TAB_RECORDER", 52, "CC_TOGGBTN_Recorder"),
        ("MAIN_TAB_CALIB", 53, "CC_TOGGBTN_Calib"),
        ("MAIN_CONNECT", 54, "CC_TOGGBTNConnect"),
        ("MAIN_HELP", 55, "help box, CC_HelpText1"),
        ("MAIN_HELPLARGE", 56, "large help box, CC_HelpText2"),
        ("MAIN_HEADER", 57, "header strip (decoration)"),
        ("MAIN_LOGO", 58, "logo picture"),
    ]),
    ("Para1 panel", [
        ("P1_EVALMODE", 4, "CC_DROPevalmode"),
        ("P1_TRGPIX", 5, "CC_NUMtrgPix"),
        ("P1_TOLLOW", 6, "CC_NEDITTolerance"),
        ("P1_INTRGMODE", 7, "CC_DROPintrgMode"),
        ("P1_OUTMODE", 8, "CC_DROPoutmode"),
        ("P1_POLARITY", 9, "CC_DROPpolarity"),
        ("P1_ZOOMMODE", 10, "CC_DROPzoomMode"),
        ("P1_AVERAGE", 11, "CC_DROPaverage"),
        ("P1_ANAMODE", 12, "CC_DROPanaMode"),
        ("P1_TOLUP", 13, "CC_NEDITToleranceUP"),
    ]),
    ("Para2 panel", [
        ("P2_POWER", 2, "CC_SLIDEpower"),
        ("P2_VTHD", 3, "CC_SLIDEVideoThreshold"),
        ("P2_VTHDMODE", 4, "CC_DROPvthdmode"),
        ("P2_SAVETHD", 5, "CC_CBTNSaveThreshold"),
        ("P2_TRIGMODE", 6, "CC_DROP_TrigMode (IN0 function)"),
        ("P2_FILTER", 7, "CC_DROP_FilterType"),
        ("P2_HWMODE", 8, "CC_DROPhardware"),
        ("P2_TEACHVAL", 9, "CC_NEDITTeach"),
        ("P2_TARGET", 10, "threshold target switch, CC_BINSWTarget (1 RAM, 2 EEPROM)"),
        ("P2_TEACH", 11, "CC_ButtonTeach"),
    ]),
    ("Recorder panel", [
        ("REC_STATUS", 2, "status box (text box)"),
        ("REC_SAMPLES", 3, "CC_NUMsample, 1..32000"),
        ("REC_RS232MODE", 4, "CC_DROPrs232mode"),
        ("REC_COUNTER", 5, "sample counter"),
        ("REC_DAYS", 6, None),
        ("REC_HOURS", 7, None),
        ("REC_MINUTES", 8, None),
        ("REC_SECONDS", 9, None),
        ("REC_DATE", 10, "date display"),
        ("REC_TIME", 11, "time display"),
        ("REC_FILENAME", 12, "file-name box"),
        ("REC_START", 13, "CC_CBTNStartRecord"),
        ("REC_STOPREC", 14, "CC_PICBTNStopRecord (one of the two other controls)"),
        ("REC_FILEBTN", 15, "CC_PICBTNrecfile (the other one)"),
        ("REC_INCTIME", 17, "CC_NUMinctime, 0.1..3600 s"),
    ]),
    ("Calib panel", [
        ("CAL_STEP1", 2, "CC_CheckStep1"),
        ("CAL_INFO", 3, "model info box, four lines"),
        ("CAL_REF1", 4, "reference-1 size in micrometres"),
        ("CAL_REF2", 5, "reference-2 size"),
        ("CAL_ACCEPT1", 6, "CC_ButtonAcceptObject1"),
        ("CAL_ACCEPT2", 7, "CC_ButtonAcceptObject2"),
        ("CAL_FIT", 8, "CC_ButtonDoFit"),
        ("CAL_OFFSET", 9, "offset field (um-Offset - 32767)"),
        ("CAL_STEP2", 10, "CC_CheckStep2"),
        ("CAL_SAVE", 11, "CC_ButtonSaveCalValues"),
        ("CAL_SLOPE", 12, "slope field (um-Slope / 1024)"),
        ("CAL_DISCARD", 13, "CC_DiscardCalibration"),
        ("CAL_FITSLOPE", 14, "fitted-slope display"),
        ("CAL_CAPTURE2", 15, "measured value captured in step 2"),
        ("CAL_CCDMODE", 16, "CC_BINSWopmode"),
        ("CAL_CAPTURE1", 17, "measured value captured in step 1"),
        ("CAL_FITOFFSET", 18, "fitted-offset display"),
        ("CAL_TEXTBOX", 19, "calibration text box, CC_CalibTextBox"),
        ("CAL_XFLASH", 26, "service: X-FLASH write, CC_WriteXFLASH"),
        ("CAL_TEST", 27, "service: TEST, CC_TestBUTTON"),
    ]),
    ("Connect pop-up", [
        ("CON_PORT", 2, "CC_NUMrs232comport"),
        ("CON_BAUD", 3, "CC_DROPBaudRate"),
        ("CON_STATUS", 4, "pop-up status line"),
        ("CON_ACCEPT", 5, "CC_CBTNAcceptComSetting"),
        ("CON_DISCARD", 6, "CC_CBTNDiscardComSetting"),
        ("CON_TRY", 7, "CC_CBTNTryToConnect"),
        ("CON_CHANGEBAUD", 8, "CC_CBTNChangeBaudRate"),
        ("CON_HELP", 9, "help box, CC_HelpText3"),
    ]),
]

ids = types.SimpleNamespace(**{name: value for _, rows in ID_GROUPS for name, value, _ in rows})

IDS_HEADER_TOP = """#pragma once
// Resource numbers of the panels in the two layout files and the numeric ids of their controls.
// The layout files carry the same numbers (dynamic properties "resourceId" and "ctrlId"); a
// control's callback is named by its "callback" property.
//
// Written by scripts/gen_layouts.py from its id table: edit the table there, not this file.

namespace korvo::ids {

// Layout file names, opened from the program directory.
inline constexpr const char* kScopeLayoutFile = "%s";
inline constexpr const char* kMplexLayoutFile = "%s";
""" % (SCOPE_FILE, MPLEX_FILE)


def ids_header():
    """ControlIds.h as clang-format leaves it: the comments of consecutive commented lines are
    aligned two columns after the longest of those lines."""
    out = [IDS_HEADER_TOP.rstrip("\n")]
    for heading, rows in ID_GROUPS:
        out.append("")
        if heading in (SCOPE_FILE, MPLEX_FILE):
            banner = '// ---- "%s" ' % heading
            out.append(banner + "-" * (96 - len(banner)))
        else:
            out.append("// " + heading)
        run = []  # consecutive commented lines: (code, comment)

        def flush():
            width = max((len(code) for code, _ in run), default=0)
            out.extend("%s  // %s" % (code.ljust(width), comment) for code, comment in run)
            run.clear()

        for name, value, comment in rows:
            code = "inline constexpr int %s = %d;" % (name, value)
            if comment is None:
                flush()
                out.append(code)
            else:
                run.append((code, comment))
        flush()
    out.append("")
    out.append("}  // namespace korvo::ids")
    return "\n".join(out) + "\n"


# ---------------------------------------------------------------------------------------------
# A small widget tree and its Designer XML form
# ---------------------------------------------------------------------------------------------


class Prop:
    """One <property>: kind is number, double, string, bool, enum, set, rect, color or
    font_bold."""

    def __init__(self, kind, value, dynamic=False):
        self.kind = kind
        self.value = value
        self.dynamic = dynamic

    def xml(self):
        k, v = self.kind, self.value
        if k == "number":
            return "<number>%d</number>" % v
        if k == "double":
            return "<double>%s</double>" % repr(float(v))
        if k == "string":
            return "<string>%s</string>" % escape(v)
        if k == "bool":
            return "<bool>%s</bool>" % ("true" if v else "false")
        if k == "enum":
            return "<enum>%s</enum>" % v
        if k == "set":
            return "<set>%s</set>" % v
        if k == "color":
            r, g, b = v
            return "<color><red>%d</red><green>%d</green><blue>%d</blue></color>" % (r, g, b)
        if k == "font_bold":
            return "<font><bold>%s</bold></font>" % ("true" if v else "false")
        if k == "rect":
            x, y, w, h = v
            return "<rect><x>%d</x><y>%d</y><width>%d</width><height>%d</height></rect>" % (
                x, y, w, h)
        raise ValueError(k)


class Widget:
    def __init__(self, cls, name, geom=None):
        self.cls = cls
        self.name = name
        self.props = []  # (name, Prop) in writing order
        self.children = []
        self.items = []  # combo box item texts
        self.title = None  # tab page title
        if geom is not None:
            self.prop("geometry", "rect", tuple(geom))

    def prop(self, name, kind, value):
        self.props.append((name, Prop(kind, value)))
        return self

    def dyn(self, name, kind, value):
        self.props.append((name, Prop(kind, value, dynamic=True)))
        return self

    def add(self, child):
        self.children.append(child)
        return child

    def xml(self, indent):
        pad = " " * indent
        out = ['%s<widget class="%s" name="%s">' % (pad, self.cls, self.name)]
        if self.title is not None:
            out.append('%s <attribute name="title"><string>%s</string></attribute>' % (
                pad, escape(self.title)))
        for name, p in self.props:
            std = ' stdset="0"' if p.dynamic else ""
            out.append('%s <property name="%s"%s>%s</property>' % (pad, name, std, p.xml()))
        for text in self.items:
            out.append('%s <item><property name="text"><string>%s</string></property></item>' % (
                pad, escape(text)))
        for c in self.children:
            out.extend(c.xml(indent + 1))
        out.append("%s</widget>" % pad)
        return out


def ui_document(class_name, root_name, root_size, panels):
    used = set()

    def collect(w):
        if w.cls in CUSTOM_WIDGETS:
            used.add(w.cls)
        for c in w.children:
            collect(c)

    root = Widget("QWidget", root_name, (0, 0) + root_size)
    for p in panels:
        root.add(p)
    collect(root)
    lines = ['<?xml version="1.0" encoding="UTF-8"?>', '<ui version="4.0">',
             " <class>%s</class>" % class_name]
    lines.extend(root.xml(1))
    if used:
        lines.append(" <customwidgets>")
        for cls in sorted(used):
            lines.append("  <customwidget>")
            lines.append("   <class>%s</class>" % cls)
            lines.append("   <extends>QWidget</extends>")
            lines.append("   <header>%s</header>" % CUSTOM_WIDGETS[cls])
            lines.append("  </customwidget>")
        lines.append(" </customwidgets>")
    lines.append(" <resources/>")
    lines.append(" <connections/>")
    lines.append("</ui>")
    return "\n".join(lines) + "\n"


# ---------------------------------------------------------------------------------------------
# Control builders. Every builder takes the owning panel, the object name, the control id (None
# for plain captions), the callback name (None when the control has none) and its geometry.
# ---------------------------------------------------------------------------------------------


def panel(name, res, title, geom, callback=None):
    w = Widget("QWidget", name, geom)
    w.prop("windowTitle", "string", title)
    w.prop("autoFillBackground", "bool", True)
    w.dyn("resourceId", "number", res)
    if callback:
        w.dyn("callback", "string", callback)
    return w


def _bind(w, ctrl_id, callback, label, enabled=True, visible=True):
    if not enabled:
        w.prop("enabled", "bool", False)
    if not visible:
        w.prop("visible", "bool", False)
    if label is not None:
        w.prop("accessibleName", "string", label)
    if ctrl_id is not None:
        w.dyn("ctrlId", "number", ctrl_id)
    if callback:
        w.dyn("callback", "string", callback)
    return w


def caption(parent, name, text, geom, ctrl_id=None, align=None, bold=False, visible=True,
            label=None):
    """A text label; with ctrl_id it is a control the program addresses (accessible name: label,
    or the text itself)."""
    w = Widget("QLabel", name, geom)
    w.prop("text", "string", text)
    if align:
        w.prop("alignment", "set", align)
    if bold:
        w.prop("font", "font_bold", True)
    _bind(w, ctrl_id, None, (label or text) if ctrl_id is not None else None, visible=visible)
    return parent.add(w)


def button(parent, name, ctrl_id, callback, text, geom, checkable=False, checked=False,
           enabled=True, visible=True):
    w = Widget("QPushButton", name, geom)
    w.prop("text", "string", text)
    if checkable:
        w.prop("checkable", "bool", True)
        w.prop("checked", "bool", checked)
    return parent.add(_bind(w, ctrl_id, callback, text, enabled, visible))


def checkbox(parent, name, ctrl_id, callback, text, geom, checked=False, enabled=True):
    w = Widget("QCheckBox", name, geom)
    w.prop("text", "string", text)
    w.prop("checked", "bool", checked)
    return parent.add(_bind(w, ctrl_id, callback, text, enabled))


def radio(parent, name, ctrl_id, callback, text, geom, checked=False):
    w = Widget("QRadioButton", name, geom)
    w.prop("text", "string", text)
    w.prop("checked", "bool", checked)
    w.prop("autoExclusive", "bool", False)
    return parent.add(_bind(w, ctrl_id, callback, text))


def spin(parent, name, ctrl_id, callback, label, geom, lo, hi, value, readonly=False,
         enabled=True, visible=True, arrows=True):
    w = Widget("QSpinBox", name, geom)
    w.prop("alignment", "set", "Qt::AlignRight|Qt::AlignVCenter")
    w.prop("keyboardTracking", "bool", False)
    if readonly or not arrows:
        w.prop("buttonSymbols", "enum", "QAbstractSpinBox::NoButtons")
    if readonly:
        w.prop("readOnly", "bool", True)
        w.prop("focusPolicy", "enum", "Qt::NoFocus")
    w.prop("minimum", "number", lo)
    w.prop("maximum", "number", hi)
    w.prop("value", "number", value)
    return parent.add(_bind(w, ctrl_id, callback, label, enabled, visible))


def dspin(parent, name, ctrl_id, callback, label, geom, lo, hi, value, decimals, step=1.0,
          readonly=False, enabled=True):
    w = Widget("QDoubleSpinBox", name, geom)
    w.prop("alignment", "set", "Qt::AlignRight|Qt::AlignVCenter")
    w.prop("keyboardTracking", "bool", False)
    if readonly:
        w.prop("readOnly", "bool", True)
        w.prop("buttonSymbols", "enum", "QAbstractSpinBox::NoButtons")
        w.prop("focusPolicy", "enum", "Qt::NoFocus")
    w.prop("decimals", "number", decimals)
    w.prop("minimum", "double", lo)
    w.prop("maximum", "double", hi)
    w.prop("singleStep", "double", step)
    w.prop("value", "double", value)
    return parent.add(_bind(w, ctrl_id, callback, label, enabled))


def ring(parent, name, ctrl_id, callback, label, geom, items, value, enabled=True):
    """items: (text, value) pairs; value: the initial item value."""
    w = Widget("QComboBox", name, geom)
    values = [v for _, v in items]
    w.items = [t for t, _ in items]
    w.prop("currentIndex", "number", values.index(value))
    if values != list(range(len(values))):
        w.dyn("ringValues", "string", ",".join(str(v) for v in values))
    return parent.add(_bind(w, ctrl_id, callback, label, enabled))


def slider(parent, name, ctrl_id, callback, label, geom, lo, hi, value, page):
    w = Widget("QSlider", name, geom)
    w.prop("orientation", "enum", "Qt::Horizontal")
    w.prop("minimum", "number", lo)
    w.prop("maximum", "number", hi)
    w.prop("pageStep", "number", page)
    w.prop("value", "number", value)
    w.prop("tracking", "bool", False)
    w.prop("tickPosition", "enum", "QSlider::TicksBelow")
    w.prop("tickInterval", "number", page)
    return parent.add(_bind(w, ctrl_id, callback, label))


def line(parent, name, ctrl_id, callback, label, geom, text=""):
    """A read-only one-line text display (status lines, date and time displays)."""
    w = Widget("QLineEdit", name, geom)
    w.prop("text", "string", text)
    w.prop("readOnly", "bool", True)
    w.prop("focusPolicy", "enum", "Qt::NoFocus")
    return parent.add(_bind(w, ctrl_id, callback, label))


def textbox(parent, name, ctrl_id, callback, label, geom, text="", visible=True, wrap=True):
    w = Widget("QPlainTextEdit", name, geom)
    w.prop("readOnly", "bool", True)
    w.prop("focusPolicy", "enum", "Qt::NoFocus")
    if not wrap:
        w.prop("lineWrapMode", "enum", "QPlainTextEdit::NoWrap")
    w.prop("plainText", "string", text)
    return parent.add(_bind(w, ctrl_id, callback, label, visible=visible))


def frame(parent, name, geom, ctrl_id=None, shape="QFrame::StyledPanel",
          shadow="QFrame::Sunken", fill=False, label=None):
    w = Widget("QFrame", name, geom)
    w.prop("frameShape", "enum", shape)
    w.prop("frameShadow", "enum", shadow)
    if fill:
        w.prop("autoFillBackground", "bool", True)
    return parent.add(_bind(w, ctrl_id, None, label))


def led(parent, name, ctrl_id, label, geom, on_color, visible=True):
    w = Widget("LedIndicator", name, geom)
    w.dyn("value", "number", 0)
    w.dyn("onColor", "color", on_color)
    return parent.add(_bind(w, ctrl_id, None, label, visible=visible))


def binswitch(parent, name, ctrl_id, callback, label, geom, on_label, off_label, value):
    w = Widget("BinarySwitch", name, geom)
    w.dyn("onLabel", "string", on_label)
    w.dyn("offLabel", "string", off_label)
    w.dyn("value", "number", value)
    return parent.add(_bind(w, ctrl_id, callback, label))


def graph(parent, name, ctrl_id, callback, label, geom, visible=True):
    w = Widget("GraphWidget", name, geom)
    return parent.add(_bind(w, ctrl_id, callback, label, visible=visible))


# ---------------------------------------------------------------------------------------------
# "MPLEX-16-ControlV100.uir": multiplexer panel (1) and port panel (2)
# ---------------------------------------------------------------------------------------------

# Port panel columns (x, width), shared by the port panel and the column header of a tab page.
PORT_W, PORT_H = 370, 36
PORT_COLS = {
    "enable": (2, 48),
    "com": (52, 38),
    "baud": (92, 78),
    "scope": (172, 60),
    "status": (234, 134),
}
PORT_LEFTS = (1, 376)


def port_panel():
    p = panel("portPanel", ids.RES_PORT, "MPLEX Port", (0, 0, PORT_W, PORT_H))
    x, w = PORT_COLS["enable"]
    checkbox(p, "portEnable", ids.PORT_ENABLE, "CC_Check", "P1", (x, 6, w, 24), checked=True)
    x, w = PORT_COLS["com"]
    spin(p, "portCom", ids.PORT_COM, None, "COM", (x, 6, w, 24), 1, 255, 1, arrows=False)
    x, w = PORT_COLS["baud"]
    ring(p, "portBaud", ids.PORT_BAUD, None, "Baudrate", (x, 6, w, 24), BAUD_ITEMS, 1)
    x, w = PORT_COLS["scope"]
    button(p, "portScope", ids.PORT_SCOPE, "CC_TOGGscope", "SCOPE", (x, 5, w, 26), checkable=True)
    x, w = PORT_COLS["status"]
    line(p, "portStatus", ids.PORT_STATUS, "CC_DispStatus", "Status", (x, 6, w, 24),
         "not connected")
    spin(p, "portGroup", ids.PORT_GROUP, None, "Group", (0, 0, 40, 24), 0, 6, 0, readonly=True,
         visible=False)
    spin(p, "portNumber", ids.PORT_NUMBER, None, "Port", (44, 0, 40, 24), 0, 15, 0, readonly=True,
         visible=False)
    return p


def tab_page(group):
    n = group + 1
    page = Widget("QWidget", "mpcTab%d" % n)
    page.title = "MPC-Tab%d" % n
    page.dyn("tabPage", "bool", True)
    checkbox(page, "tab%dEnable" % n, ids.TAB_ENABLE, "CC_BINSWenable", "GROUP ENABLE",
             (8, 2, 130, 20), checked=True)
    caption(page, "tab%dCaption" % n, "MPLEX-16  GROUP %d  -  PORTS P1 ... P16" % n,
            (150, 2, 400, 20), ctrl_id=ids.TAB_EXTRA2, bold=True)
    header = frame(page, "tab%dHeader" % n, (0, 22, 756, 18), ctrl_id=ids.TAB_EXTRA1,
                   shape="QFrame::NoFrame", shadow="QFrame::Plain", label="Column header")
    titles = [("enable", "PORT"), ("com", "COM"), ("baud", "BAUDRATE"), ("scope", "SCOPE"),
              ("status", "STATUS")]
    for col, left in enumerate(PORT_LEFTS):
        for key, text in titles:
            x, w = PORT_COLS[key]
            caption(header, "tab%dHead%d%s" % (n, col, key), text, (left + x, 0, w, 18))
    return page


def mplex_panel():
    p = panel("mpcPanel", ids.RES_MPC, "KORVO-KM-Scope MPLEX-16 Multiplexer Control",
              (100, 80, 780, 545), callback="CC_PANEL_MPC")
    tabs = Widget("QTabWidget", "mpcTabs", (4, 4, 772, 396))
    tabs.prop("currentIndex", "number", 0)
    _bind(tabs, ids.MPC_TAB, None, "Multiplexer groups")
    for g in range(7):
        tabs.add(tab_page(g))
    p.add(tabs)

    caption(p, "mpcCapTeach", "TEACH-VALUE", (8, 404, 104, 18))
    spin(p, "mpcTeachVal", ids.MPC_TEACHVAL, None, "TEACH-VALUE", (8, 422, 104, 26), 0, 65535, 512)
    caption(p, "mpcCapTolHigh", "TOL-HIGH", (120, 404, 104, 18))
    spin(p, "mpcTolHigh", ids.MPC_TOLHIGH, None, "TOL-HIGH", (120, 422, 104, 26), 0, 65535, 100)
    caption(p, "mpcCapTolLow", "TOL-LOW", (232, 404, 104, 18))
    spin(p, "mpcTolLow", ids.MPC_TOLLOW, None, "TOL-LOW", (232, 422, 104, 26), 0, 65535, 100)

    left = 352
    for cid, cb, text, w in [(ids.MPC_INIT, "CC_BTNinit", "INIT", 70),
                             (ids.MPC_INITALL, "CC_BTNinitAll", "INIT ALL", 84),
                             (ids.MPC_TEACH, "CC_BTNteach", "TEACH", 72),
                             (ids.MPC_TEACHALL, "CC_BTNteachAll", "TEACH ALL", 92),
                             (ids.MPC_STOP, "CC_BTNstop", "STOP", 72)]:
        button(p, "mpcBtn%d" % cid, cid, cb, text, (left, 406, w, 32))
        left += w + 4

    caption(p, "mpcCapStatus", "STATUS", (8, 456, 120, 18))
    line(p, "mpcStatus", ids.MPC_STATUS, None, "Status", (8, 474, 328, 26))
    caption(p, "mpcCapIni", "SETTINGS FILE", (352, 456, 280, 18))
    textbox(p, "mpcIniFile", ids.MPC_INIFILE, None, "Settings file", (352, 474, 290, 62))
    button(p, "mpcSave", ids.MPC_SAVE, "CC_PICBTNsave", "SAVE INI", (648, 474, 124, 30))
    button(p, "mpcLoad", ids.MPC_LOAD, "CC_PICBTNloadfile", "LOAD INI", (648, 506, 124, 30))
    button(p, "mpcLine", ids.MPC_LINE, "CC_BTNline", "LINE", (8, 506, 100, 30))
    return p


# ---------------------------------------------------------------------------------------------
# "KORVO-KM-MPLEX-ScopeV318.uir": Calib (1), connect pop-up (2), main (3), Para1 (4),
# Para2 (5), Recorder (6)
# ---------------------------------------------------------------------------------------------

CHILD_W, CHILD_H = 350, 380
CHILD_POS = (8, 105)

# Caption column and control column of the parameter pages.
CAP_X, CAP_W = 8, 106
CTL_X, CTL_W = 116, 226


def child_panel(name, res, title):
    p = panel(name, res, title, CHILD_POS + (CHILD_W, CHILD_H))
    frame(p, name + "Frame", (0, 0, CHILD_W, CHILD_H))
    return p


def para1_panel():
    p = child_panel("para1Panel", ids.RES_PARA1, "Para1")
    rows = 10
    top, step = 10, 36

    def y(k):
        return top + k * step

    def cap(k, name, text):
        caption(p, name, text, (CAP_X, y(k), CAP_W, 26))

    cap(0, "p1CapEval", "EVAL-MODE")
    ring(p, "p1EvalMode", ids.P1_EVALMODE, "CC_DROPevalmode", "EVAL-MODE",
         (CTL_X, y(0), CTL_W, 26),
         [("LEFT-EDGE", 0), ("RIGHT-EDGE", 1), ("CENTER", 2), ("WIDTH", 3), ("DIAMETER", 4)], 1)
    cap(1, "p1CapTolUp", "TOL-HIGH [pixel]")
    spin(p, "p1TolUp", ids.P1_TOLUP, "CC_NEDITToleranceUP", "TOL-HIGH [pixel]",
         (CTL_X, y(1), 100, 26), 0, 65535, 100, enabled=False)
    cap(2, "p1CapTolLow", "TOL-LOW [pixel]")
    spin(p, "p1TolLow", ids.P1_TOLLOW, "CC_NEDITTolerance", "TOL-LOW [pixel]",
         (CTL_X, y(2), 100, 26), 0, 65535, 100, enabled=False)
    cap(3, "p1CapAverage", "AVERAGE")
    ring(p, "p1Average", ids.P1_AVERAGE, "CC_DROPaverage", "AVERAGE", (CTL_X, y(3), CTL_W, 26),
         [("1 SCAN", 1)] + [("%d SCANS" % (1 << i), 1 << i) for i in range(1, 9)], 1)
    cap(4, "p1CapAnaMode", "ANALOG-OUT")
    ring(p, "p1AnaMode", ids.P1_ANAMODE, "CC_DROPanaMode", "ANALOG-OUT", (CTL_X, y(4), CTL_W, 26),
         [("MEAS-VALUE", 0), ("MAX-HOLD", 1), ("MIN-HOLD", 2), ("MAX-MIN", 3)]
         + [("MODE %d" % m, m) for m in range(4, 8)], 0)
    cap(5, "p1CapZoom", "ANALOG-ZOOM")
    ring(p, "p1ZoomMode", ids.P1_ZOOMMODE, "CC_DROPzoomMode", "ANALOG-ZOOM",
         (CTL_X, y(5), CTL_W, 26),
         [("ZOOM OFF", 0), ("ZOOM x2", 1), ("ZOOM x4", 2), ("ZOOM x8", 3)], 0)
    cap(6, "p1CapPolarity", "POLARITY")
    ring(p, "p1Polarity", ids.P1_POLARITY, "CC_DROPpolarity", "POLARITY", (CTL_X, y(6), CTL_W, 26),
         [("0V ACTIVE", 0), ("+24V ACTIVE", 1)], 1)
    cap(7, "p1CapOutMode", "OUT-MODE")
    ring(p, "p1OutMode", ids.P1_OUTMODE, "CC_DROPoutmode", "OUT-MODE", (CTL_X, y(7), CTL_W, 26),
         [("[ - ]OUT0, [+]OUT1, [OK]OUT2", 0), ("[TRG]OUT0, [+]OUT1, [OK]OUT2", 1),
          ("[TRG]OUT0, [-]OUT1, [OK]OUT2", 2)], 0, enabled=False)
    cap(8, "p1CapIntTrg", "INT-TRIGGER")
    ring(p, "p1IntTrgMode", ids.P1_INTRGMODE, "CC_DROPintrgMode", "INT-TRIGGER",
         (CTL_X, y(8), CTL_W, 26), [("OFF", 0), ("ON", 1)], 0)
    cap(9, "p1CapTrgPix", "TRIGGER-PIXEL")
    spin(p, "p1TrgPix", ids.P1_TRGPIX, "CC_NUMtrgPix", "TRIGGER-PIXEL", (CTL_X, y(9), 100, 26), 0,
         65535, 0, enabled=False)
    assert y(rows - 1) + 26 < CHILD_H
    return p


IN0_ITEMS = [("NOT USED", 0), ("TRIGG-IN0 L/H", 1), ("TRIGG-IN0 HIGH", 2), ("SAVE VTHD->EE", 3),
             ("OUTPUT WIDTH", 4), ("LASER-ON-IN0 HIGH", 5), ("TEACH-IN0 HIGH", 6)]


def para2_panel():
    p = child_panel("para2Panel", ids.RES_PARA2, "Para2")

    def cap(name, text, top):
        caption(p, name, text, (CAP_X, top, CAP_W, 26))

    cap("p2CapPower", "POWER", 10)
    slider(p, "p2Power", ids.P2_POWER, "CC_SLIDEpower", "POWER", (CTL_X, 10, CTL_W, 28), 0, 1000,
           500, 100)
    caption(p, "p2CapPowerScale", "0 ... 1000", (CTL_X, 38, CTL_W, 16), align="Qt::AlignRight")
    cap("p2CapVthd", "VIDEO-THD [%]", 58)
    slider(p, "p2Vthd", ids.P2_VTHD, "CC_SLIDEVideoThreshold", "VIDEO-THD [%]",
           (CTL_X, 58, CTL_W, 28), 10, 950, 40, 10)
    caption(p, "p2CapVthdScale", "10 ... 950", (CTL_X, 86, CTL_W, 16), align="Qt::AlignRight")
    cap("p2CapVthdMode", "V-THD-MODE", 108)
    ring(p, "p2VthdMode", ids.P2_VTHDMODE, "CC_DROPvthdmode", "V-THD-MODE",
         (CTL_X, 108, CTL_W, 26), [("FIXED", 0), ("AUTO", 1)], 0)
    cap("p2CapTarget", "V-THD-TARGET", 142)
    ring(p, "p2Target", ids.P2_TARGET, "CC_BINSWTarget", "V-THD-TARGET", (CTL_X, 142, 110, 26),
         [("RAM", 1), ("EEPROM", 2)], 1)
    button(p, "p2SaveThd", ids.P2_SAVETHD, "CC_CBTNSaveThreshold", "SAVE V-THD",
           (CTL_X, 176, 140, 30), enabled=False)
    cap("p2CapIn0", "IN0-FUNCTION", 222)
    ring(p, "p2TrigMode", ids.P2_TRIGMODE, "CC_DROP_TrigMode", "IN0-FUNCTION",
         (CTL_X, 222, CTL_W, 26), IN0_ITEMS, 0)
    cap("p2CapFilter", "VIDEO-FILTER", 256)
    ring(p, "p2Filter", ids.P2_FILTER, "CC_DROP_FilterType", "VIDEO-FILTER",
         (CTL_X, 256, CTL_W, 26), [("OFF", 0)] + [("MA-%d" % v, v) for v in (2, 4, 8, 16, 32, 64)],
         0)
    cap("p2CapHw", "HW-MODE", 290)
    ring(p, "p2Hardware", ids.P2_HWMODE, "CC_DROPhardware", "HW-MODE", (CTL_X, 290, CTL_W, 26),
         [("HOUSING OFF", 0), ("BUTTON+POTI", 1), ("BUTTON", 2), ("POTI", 3)], 1)
    cap("p2CapTeach", "TEACH-VALUE", 336)
    spin(p, "p2TeachVal", ids.P2_TEACHVAL, "CC_NEDITTeach", "TEACH-VALUE", (CTL_X, 336, 100, 26),
         0, 65535, 512)
    button(p, "p2Teach", ids.P2_TEACH, "CC_ButtonTeach", "TEACH", (CTL_X + 108, 334, 112, 30))
    return p


def recorder_panel():
    p = child_panel("recPanel", ids.RES_RECORDER, "Recorder")
    textbox(p, "recStatus", ids.REC_STATUS, None, "Recorder status", (8, 8, 334, 44),
            "DATA-RECORDER")

    def cap(name, text, top):
        caption(p, name, text, (CAP_X, top, CAP_W, 26))

    cap("recCapMode", "RS232-MODE", 60)
    ring(p, "recMode", ids.REC_RS232MODE, "CC_DROPrs232mode", "RS232-MODE", (CTL_X, 60, CTL_W, 26),
         [("STATIC(REC)", 0), ("EXT-IN0-L/H", 1), ("EXT-IN0-L/H(3-BYTE)", 2),
          ("CONTINUOUS", 3), ("MODE 4", 4)], 0)
    cap("recCapSamples", "SAMPLES", 94)
    spin(p, "recSamples", ids.REC_SAMPLES, "CC_NUMsample", "SAMPLES", (CTL_X, 94, 100, 26), 1,
         32000, 100)
    cap("recCapInc", "TIME-INC. [s]", 128)
    dspin(p, "recIncTime", ids.REC_INCTIME, "CC_NUMinctime", "TIME-INC. [s]",
          (CTL_X, 128, 100, 26), 0.1, 9999.0, 1.0, 1, step=0.1)
    cap("recCapCounter", "SAMPLE-COUNT", 162)
    spin(p, "recCounter", ids.REC_COUNTER, None, "SAMPLE-COUNT", (CTL_X, 162, 100, 26), 0, 65535,
         0, readonly=True)

    for i, (cid, text) in enumerate([(ids.REC_DAYS, "DAYS"), (ids.REC_HOURS, "HOURS"),
                                     (ids.REC_MINUTES, "MIN"), (ids.REC_SECONDS, "SEC")]):
        left = 8 + i * 84
        caption(p, "recCap%s" % text, text, (left, 196, 80, 18))
        spin(p, "rec%s" % text.title(), cid, None, text, (left, 214, 80, 24), 0, 65535, 0,
             readonly=True)
    caption(p, "recCapDate", "DATE", (8, 246, 160, 18))
    line(p, "recDate", ids.REC_DATE, None, "DATE", (8, 264, 164, 24))
    caption(p, "recCapTime", "TIME", (176, 246, 160, 18))
    line(p, "recTime", ids.REC_TIME, None, "TIME", (176, 264, 166, 24))
    caption(p, "recCapFile", "DATA-FILE", (8, 294, 160, 18))
    textbox(p, "recFileName", ids.REC_FILENAME, None, "DATA-FILE", (8, 312, 334, 30), "RECORD.DAT",
            wrap=False)
    button(p, "recStart", ids.REC_START, "CC_CBTNStartRecord", "START", (8, 346, 104, 30))
    button(p, "recStop", ids.REC_STOPREC, "CC_PICBTNStopRecord", "STOP REC", (118, 346, 110, 30))
    button(p, "recFile", ids.REC_FILEBTN, "CC_PICBTNrecfile", "FILE...", (234, 346, 108, 30))
    return p


CALIB_HOWTO = ("1. STEP 1: object 1 in the beam, its size, ACCEPT 1\n"
               "2. STEP 2: object 2 in the beam, its size, ACCEPT 2\n"
               "3. DO FIT, then SAVE CAL.  (DISCARD: leave)")


def calib_panel():
    p = child_panel("calPanel", ids.RES_CALIB, "Calib")
    textbox(p, "calInfo", ids.CAL_INFO, None, "Model information", (8, 6, 334, 70),
            "No sensor connected\n-\n-\n-", wrap=False)
    binswitch(p, "calCcdMode", ids.CAL_CCDMODE, "CC_BINSWopmode", "CCD-OPERATION-MODE",
              (8, 80, 334, 26), "HIGH CCD-GAIN", "LOW CCD-GAIN", 0)

    caption(p, "calCapRef", "OBJECT [µm]", (82, 110, 100, 18))
    caption(p, "calCapCapture", "M-VALUE", (270, 110, 72, 18))
    checkbox(p, "calStep1", ids.CAL_STEP1, "CC_CheckStep1", "STEP 1", (8, 128, 72, 26))
    spin(p, "calRef1", ids.CAL_REF1, None, "OBJECT 1 [µm]", (82, 128, 100, 26), 0, 2000000000,
         1000)
    button(p, "calAccept1", ids.CAL_ACCEPT1, "CC_ButtonAcceptObject1", "ACCEPT 1",
           (186, 127, 80, 28), enabled=False)
    spin(p, "calCapture1", ids.CAL_CAPTURE1, None, "M-VALUE 1", (270, 128, 72, 26), 0, 65535, 0,
         readonly=True)
    checkbox(p, "calStep2", ids.CAL_STEP2, "CC_CheckStep2", "STEP 2", (8, 160, 72, 26))
    spin(p, "calRef2", ids.CAL_REF2, None, "OBJECT 2 [µm]", (82, 160, 100, 26), 0, 2000000000,
         2000)
    button(p, "calAccept2", ids.CAL_ACCEPT2, "CC_ButtonAcceptObject2", "ACCEPT 2",
           (186, 159, 80, 28), enabled=False)
    spin(p, "calCapture2", ids.CAL_CAPTURE2, None, "M-VALUE 2", (270, 160, 72, 26), 0, 65535, 0,
         readonly=True)

    caption(p, "calCapFitSlope", "FIT-SLOPE [µm/pix]", (82, 192, 128, 18))
    caption(p, "calCapFitOffset", "FIT-OFFSET [µm]", (214, 192, 128, 18))
    button(p, "calFit", ids.CAL_FIT, "CC_ButtonDoFit", "DO FIT", (8, 209, 70, 28), enabled=False)
    dspin(p, "calFitSlope", ids.CAL_FITSLOPE, None, "FIT-SLOPE [µm/pix]", (82, 210, 128, 26),
          -1e10, 1e10, 0.0, 3, readonly=True)
    dspin(p, "calFitOffset", ids.CAL_FITOFFSET, None, "FIT-OFFSET [µm]", (214, 210, 128, 26),
          -1e10, 1e10, 0.0, 3, readonly=True)

    caption(p, "calCapSlope", "SLOPE [µm/pix]", (82, 242, 128, 18))
    caption(p, "calCapOffset", "OFFSET [µm]", (214, 242, 128, 18))
    caption(p, "calCapSensor", "SENSOR:", (8, 264, 70, 18))
    dspin(p, "calSlope", ids.CAL_SLOPE, None, "SLOPE [µm/pix]", (82, 260, 128, 26), -1e10, 1e10,
          1.0, 3, enabled=False)
    dspin(p, "calOffset", ids.CAL_OFFSET, None, "OFFSET [µm]", (214, 260, 128, 26), -1e10, 1e10,
          0.0, 3)

    button(p, "calSave", ids.CAL_SAVE, "CC_ButtonSaveCalValues", "SAVE CAL.", (8, 292, 104, 28),
           enabled=False)
    button(p, "calDiscard", ids.CAL_DISCARD, "CC_DiscardCalibration", "DISCARD",
           (116, 292, 96, 28))
    button(p, "calXFlash", ids.CAL_XFLASH, "CC_WriteXFLASH", "X-FLASH", (216, 292, 68, 28),
           enabled=False, visible=False)
    button(p, "calTest", ids.CAL_TEST, "CC_TestBUTTON", "TEST", (288, 292, 54, 28), enabled=False,
           visible=False)
    textbox(p, "calTextBox", ids.CAL_TEXTBOX, "CC_CalibTextBox", "Calibration", (8, 322, 334, 56),
            CALIB_HOWTO, wrap=False)
    return p


def connect_panel():
    p = panel("conPanel", ids.RES_CONNECT, "RS-232 CONNECT", (337, 316, 330, 200))
    frame(p, "conFrame", (0, 0, 330, 200), shape="QFrame::Box", shadow="QFrame::Raised")
    caption(p, "conTitle", "RS-232 CONNECTION", (8, 4, 200, 18), bold=True)
    caption(p, "conCapPort", "COM-PORT", (8, 28, 74, 26))
    spin(p, "conPort", ids.CON_PORT, "CC_NUMrs232comport", "COM-PORT", (84, 28, 64, 26), 1, 255, 1)
    caption(p, "conCapBaud", "BAUDRATE", (160, 28, 74, 26))
    ring(p, "conBaud", ids.CON_BAUD, "CC_DROPBaudRate", "BAUDRATE", (236, 28, 86, 26), BAUD_ITEMS,
         1)
    button(p, "conTry", ids.CON_TRY, "CC_CBTNTryToConnect", "TRY TO CONNECT", (8, 62, 154, 30))
    button(p, "conChangeBaud", ids.CON_CHANGEBAUD, "CC_CBTNChangeBaudRate", "CHANGE BAUDRATE",
           (168, 62, 154, 30))
    line(p, "conStatus", ids.CON_STATUS, None, "Status", (8, 100, 314, 26))
    button(p, "conAccept", ids.CON_ACCEPT, "CC_CBTNAcceptComSetting", "ACCEPT COM SETTINGS",
           (8, 160, 190, 32), enabled=False)
    button(p, "conDiscard", ids.CON_DISCARD, "CC_CBTNDiscardComSetting", "DISCARD",
           (204, 160, 118, 32))
    # The help box spans the pop-up, so that its texts wrap only where a line is wider than the
    # pop-up itself; five lines high, so that none of them scrolls.
    textbox(p, "conHelp", ids.CON_HELP, "CC_HelpText3", "Help", (0, 80, 330, 80), "HELPTEXT3",
            visible=False)
    return p


# Main panel geometry: the child panels take the left part below the tab toggles; graphs and
# readouts take the right part.
RIGHT_X, RIGHT_W = 366, 406


def main_panel():
    p = panel("mainPanel", ids.RES_MAIN, "KORVO-KM-Scope V3.18", (0, 0, 780, 548),
              callback="CC_PANEL")
    frame(p, "mainHeader", (0, 0, 780, 60), ctrl_id=ids.MAIN_HEADER, shape="QFrame::NoFrame",
          shadow="QFrame::Plain", fill=True, label="Header")
    caption(p, "mainLogo", "", (300, 10, 120, 24), ctrl_id=ids.MAIN_LOGO, label="Logo")

    tabs = [(ids.MAIN_TAB_PARA1, "CC_TOGGBTN_Para1", "PARA1", 80),
            (ids.MAIN_TAB_PARA2, "CC_TOGGBTN_Para2", "PARA2", 80),
            (ids.MAIN_TAB_RECORDER, "CC_TOGGBTN_Recorder", "RECORDER", 100),
            (ids.MAIN_TAB_CALIB, "CC_TOGGBTN_Calib", "CALIB", 78)]
    left = 8
    for cid, cb, text, w in tabs:
        button(p, "mainTab%s" % text.title(), cid, cb, text, (left, 66, w, 32), checkable=True,
               checked=(cid == ids.MAIN_TAB_PARA1))
        left += w + 4

    cmds = [(ids.MAIN_RUN, "CC_BTNRun", "RUN"), (ids.MAIN_VIDEO, "CC_BTNVideo", "VIDEO"),
            (ids.MAIN_GET, "CC_BTNGet", "GET"), (ids.MAIN_SEND, "CC_BTNSend", "SEND"),
            (ids.MAIN_STOP, "CC_BTNStop", "STOP")]
    for i, (cid, cb, text) in enumerate(cmds):
        button(p, "mainBtn%s" % text.title(), cid, cb, text, (RIGHT_X + i * 82, 66, 78, 32))

    gtop, gh = 104, 182
    graph(p, "mainGraph256", ids.MAIN_GRAPH256, "CC_GRAPHData", "256-point graph",
          (RIGHT_X, gtop, RIGHT_W, gh), visible=False)
    graph(p, "mainVideoGraph", ids.MAIN_VIDEOGRAPH, "CC_GRAPHVideo", "Video graph",
          (RIGHT_X, gtop, RIGHT_W, gh), visible=False)
    roll = graph(p, "mainRollGraph", ids.MAIN_ROLLGRAPH, "CC_GRAPHRaw", "Roll graph",
                 (RIGHT_X, gtop, RIGHT_W, gh))
    roll.dyn("traceCount", "number", 6)
    roll.dyn("pointsPerScreen", "number", 101)
    profile = graph(p, "mainProfile", ids.MAIN_PROFILE, None, "Profile graph",
                    (RIGHT_X, gtop + gh + 4, RIGHT_W, 46))
    # The profile graph's y axis is fixed: edges 0.25..1.0, tolerance windows 0..0.35, cursors 0.75.
    profile.dyn("yMin", "double", 0.0)
    profile.dyn("yMax", "double", 1.0)
    profile.dyn("axisLabels", "bool", False)
    # Until a sensor is known the x axis spans the start-up pixel range.
    profile.dyn("xMin", "double", 1.0)
    profile.dyn("xMax", "double", 1024.0)

    row = gtop + gh + 4 + 46 + 6  # 342
    button(p, "mainZoom", ids.MAIN_ZOOMTOGGLE, "CC_TOGGButtonZoom", "ZOOM", (RIGHT_X, row, 64, 28),
           checkable=True)
    button(p, "mainRaw", ids.MAIN_RAWTOGGLE, "CC_TOGGButtonRaw", "RAW",
           (RIGHT_X + 68, row, 64, 28), checkable=True, visible=False)
    led(p, "mainOutLedA", ids.MAIN_OUTLED_A, "OUT A", (RIGHT_X + 142, row + 4, 20, 20),
        (0x00, 0xC0, 0x00))
    caption(p, "mainCapOutA", "OUT A", (RIGHT_X + 164, row + 4, 50, 20))
    led(p, "mainOutLedB", ids.MAIN_OUTLED_B, "OUT B", (RIGHT_X + 216, row + 4, 20, 20),
        (0x00, 0xC0, 0x00))
    caption(p, "mainCapOutB", "OUT B", (RIGHT_X + 238, row + 4, 50, 20))
    button(p, "mainConnect", ids.MAIN_CONNECT, "CC_TOGGBTNConnect", "CONNECT",
           (RIGHT_X + 300, row, 106, 28), checkable=True)

    # Readouts in columns: caption above the field.
    cols = [RIGHT_X, RIGHT_X + 100, RIGHT_X + 200, RIGHT_X + 304]
    widths = [98, 98, 100, 102]
    r1 = row + 34  # caption top of the first readout row
    big = 1e7

    # Each cell: (id, caption, maker of the field from id, object name, label and geometry).
    def readout(c, n, l, g):
        return spin(p, n, c, None, l, g, 0, 65535, 0, readonly=True)

    def readout_mm(value, decimals):
        return lambda c, n, l, g: dspin(p, n, c, None, l, g, -big, big, value, decimals,
                                        readonly=True)

    def edge(callback, value):
        return lambda c, n, l, g: spin(p, n, c, callback, l, g, 0, 65535, value)

    cells1 = [
        (ids.MAIN_MVALUE, "M-VALUE [pix]", readout),
        (ids.MAIN_MVALUE_MM, "M-VALUE [mm]", readout_mm(0.0, 3)),
        (ids.MAIN_LEFTEDGE, "E-LEFT [pix]", readout),
        (ids.MAIN_RIGHTEDGE, "E-RIGHT [pix]", readout),
    ]
    cells2 = [
        (ids.MAIN_TOLUP_MM, "TOL-HIGH [mm]", readout_mm(0.1, 2)),
        (ids.MAIN_TOLLOW_MM, "TOL-LOW [mm]", readout_mm(0.1, 2)),
        (ids.MAIN_EDGELEFT, "E-BEG", edge("CC_NEDITEdgeLeft", 1)),
        (ids.MAIN_EDGERIGHT, "E-END", edge("CC_NEDITEdgeRight", 1024)),
    ]
    for top, cells in ((r1, cells1), (r1 + 44, cells2)):
        for (cid, text, make), x, w in zip(cells, cols, widths):
            caption(p, "mainCap%d" % cid, text, (x, top, w, 18))
            make(cid, "mainVal%d" % cid, text, (x, top + 18, w, 24))

    # Analog-output group (18, 19, 22, 23, 26) and internal-trigger group (21, 24, 48): shown
    # only while their modes are on.
    r3 = r1 + 88
    caption(p, "mainAnaCaption", "ANALOG-OUT:  VALUE / MAX / MIN", (RIGHT_X, r3, 224, 18),
            ctrl_id=ids.MAIN_ANACOMP, visible=False)
    for i, cid in enumerate((ids.MAIN_ANAVALUE, ids.MAIN_ANAMAX, ids.MAIN_ANAMIN)):
        spin(p, "mainAna%d" % cid, cid, None, ["ANALOG VALUE", "ANALOG MAX", "ANALOG MIN"][i],
             (RIGHT_X + i * 76, r3 + 18, 72, 24), 0, 65535, 0, readonly=True, visible=False)
    button(p, "mainReset", ids.MAIN_RESET, "CC_ButtonReset", "RESET",
           (RIGHT_X + 228, r3 + 16, 66, 28), visible=False)
    caption(p, "mainTrgCaption", "DARK-PIX / TRG", (RIGHT_X + 304, r3, 102, 18),
            ctrl_id=ids.MAIN_TRIGCOMP, visible=False)
    spin(p, "mainDarkPix", ids.MAIN_DARKPIX, None, "DARK-PIX", (RIGHT_X + 304, r3 + 18, 74, 24), 0,
         65535, 0, readonly=True, visible=False)
    led(p, "mainTrgLed", ids.MAIN_TRIGLED, "TRG", (RIGHT_X + 384, r3 + 20, 20, 20),
        (0xFF, 0xD0, 0x00), visible=False)

    # Below the child panels: memory target and the port in use.
    by = CHILD_POS[1] + CHILD_H + 6  # 491
    caption(p, "mainCapTarget", "MEMORY:", (8, by, 62, 22))
    radio(p, "mainRam", ids.MAIN_RAM, "CC_RBTRam", "RAM", (72, by, 58, 22), checked=True)
    radio(p, "mainEeprom", ids.MAIN_EEPROM, "CC_RBTEeprom", "EEPROM", (132, by, 80, 22))
    radio(p, "mainFile", ids.MAIN_FILE, "CC_RBTFile", "FILE", (214, by, 54, 22))
    caption(p, "mainCapCom", "COM", (270, by, 32, 22), align="Qt::AlignRight|Qt::AlignVCenter")
    spin(p, "mainPortNum", ids.MAIN_PORTNUM, None, "COM", (306, by - 1, 52, 24), 0, 999, 1,
         readonly=True)

    line(p, "mainStatus", ids.MAIN_STATUS, None, "Status", (8, 516, 764, 26))

    textbox(p, "mainHelp", ids.MAIN_HELP, "CC_HelpText1", "Help", (10, 110, 330, 110), "HELPTEXT1",
            visible=False)
    textbox(p, "mainHelpLarge", ids.MAIN_HELPLARGE, "CC_HelpText2", "Help", (10, 110, 360, 170),
            "HELPTEXT2", visible=False)
    return p


# ---------------------------------------------------------------------------------------------
# Logo bitmaps: 24-bit uncompressed BMP, drawn from a small 5 x 7 block font
# ---------------------------------------------------------------------------------------------

GLYPHS = {
    "K": ["X...X", "X..X.", "X.X..", "XX...", "X.X..", "X..X.", "X...X"],
    "O": [".XXX.", "X...X", "X...X", "X...X", "X...X", "X...X", ".XXX."],
    "R": ["XXXX.", "X...X", "X...X", "XXXX.", "X.X..", "X..X.", "X...X"],
    "V": ["X...X", "X...X", "X...X", "X...X", "X...X", ".X.X.", "..X.."],
    "M": ["X...X", "XX.XX", "X.X.X", "X.X.X", "X...X", "X...X", "X...X"],
    "-": [".....", ".....", ".....", "XXXXX", ".....", ".....", "....."],
    " ": [".....", ".....", ".....", ".....", ".....", ".....", "....."],
}


class Canvas:
    def __init__(self, w, h, bg):
        self.w, self.h = w, h
        self.px = [[bg] * w for _ in range(h)]

    def rect(self, x, y, w, h, color):
        for yy in range(max(0, y), min(self.h, y + h)):
            row = self.px[yy]
            for xx in range(max(0, x), min(self.w, x + w)):
                row[xx] = color

    def text(self, x, y, s, color, scale):
        for ch in s:
            for gy, bits in enumerate(GLYPHS[ch]):
                for gx, b in enumerate(bits):
                    if b == "X":
                        self.rect(x + gx * scale, y + gy * scale, scale, scale, color)
            x += 6 * scale

    def bmp(self):
        row_bytes = (self.w * 3 + 3) & ~3
        data = bytearray()
        for y in range(self.h - 1, -1, -1):  # bottom-up rows
            for r, g, b in self.px[y]:
                data += bytes((b, g, r))
            data += b"\0" * (row_bytes - self.w * 3)
        header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(data), 0, 0, 14 + 40)
        info = struct.pack("<IiiHHIIiiII", 40, self.w, self.h, 1, 24, 0, len(data), 2835, 2835,
                           0, 0)
        return header + info + bytes(data)


def text_width(s, scale):
    return (6 * len(s) - 1) * scale


def draw_beam(c, x0, x1, y, shadow):
    """A laser band between an emitter and a receiver with an object's shadow in it."""
    white, grey, red, dark = (255, 255, 255), (176, 176, 176), (255, 32, 32), (40, 40, 40)
    c.rect(x0, y - 5, 6, 12, grey)
    c.rect(x0 + 1, y - 4, 4, 10, white)
    c.rect(x1 - 6, y - 5, 6, 12, grey)
    c.rect(x1 - 5, y - 4, 4, 10, dark)
    c.rect(x0 + 6, y, x1 - x0 - 12, 2, red)
    sx, sw = shadow
    c.rect(sx, y - 3, sw, 8, dark)


def orbi_logo():
    # On the blue header strip; 24 px high so that the title text drawn below it stays clear.
    blue, white = (0x00, 0x80, 0xFF), (255, 255, 255)
    c = Canvas(120, 24, blue)
    c.text(4, 5, "KORVO", white, 2)
    draw_beam(c, 66, 116, 11, (88, 6))
    return c.bmp()


def ulmen_logo():
    white, navy = (255, 255, 255), (0, 40, 120)
    c = Canvas(72, 44, white)
    c.text((72 - text_width("KORVO", 2)) // 2, 3, "KORVO", navy, 2)
    draw_beam(c, 4, 68, 24, (32, 8))
    c.text((72 - text_width("KM", 1)) // 2, 33, "KM", navy, 1)
    return c.bmp()


# ---------------------------------------------------------------------------------------------
# Writing and checking
# ---------------------------------------------------------------------------------------------


def write_all(root):
    """Writes the layouts, the bitmaps and ControlIds.h below root, at their places in the
    repository."""
    scope = ui_document("KorvoScope", "korvoScopeLayout", (800, 600),
                        [calib_panel(), connect_panel(), main_panel(), para1_panel(),
                         para2_panel(), recorder_panel()])
    mplex = ui_document("KorvoMplex", "korvoMplexLayout", (800, 600),
                        [mplex_panel(), port_panel()])
    outputs = [(os.path.join("layouts", SCOPE_FILE), scope.encode("utf-8")),
               (os.path.join("layouts", MPLEX_FILE), mplex.encode("utf-8")),
               (os.path.join("layouts", "orbi.bmp"), orbi_logo()),
               (os.path.join("layouts", "ulmen.bmp"), ulmen_logo()),
               (IDS_HEADER, ids_header().encode("utf-8"))]
    for name, data in outputs:
        path = os.path.join(root, name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(data)
        print("wrote %s (%d bytes)" % (path, len(data)))


# Which panel of which file the ids of a prefix belong to.
PREFIX_PANELS = {
    "MPC": (MPLEX_FILE, ids.RES_MPC, None),
    "TAB": (MPLEX_FILE, ids.RES_MPC, "page"),
    "PORT": (MPLEX_FILE, ids.RES_PORT, None),
    "MAIN": (SCOPE_FILE, ids.RES_MAIN, None),
    "P1": (SCOPE_FILE, ids.RES_PARA1, None),
    "P2": (SCOPE_FILE, ids.RES_PARA2, None),
    "REC": (SCOPE_FILE, ids.RES_RECORDER, None),
    "CAL": (SCOPE_FILE, ids.RES_CALIB, None),
    "CON": (SCOPE_FILE, ids.RES_CONNECT, None),
}


def table_ids():
    """(prefix, name, value, callback or None) for every control id of the table, and the panels
    by name: (resource number, panel callback or None)."""
    ctrls, panels = [], {}
    for _, rows in ID_GROUPS:
        for name, value, comment in rows:
            cb = re.search(r"\b(CC_\w+)", comment or "")
            cb = cb.group(1) if cb else None
            if name.startswith("RES_"):
                panels[name] = (value, cb)
            else:
                ctrls.append((name.split("_")[0], name, value, cb))
    return ctrls, panels


def prop_value(el):
    for kind in ("number", "string", "bool", "double", "enum", "set"):
        v = el.find(kind)
        if v is not None:
            t = v.text or ""
            return int(t) if kind == "number" else t
    return None


def props_of(w):
    return {p.get("name"): prop_value(p) for p in w.findall("property")}


def scan_panel(widget, panel_key, out, pages):
    """Collects (ctrlId -> (class, callback, name)) below widget; tab pages become panels."""
    for child in widget.findall("widget"):
        props = props_of(child)
        if props.get("tabPage") == "true":
            key = (panel_key[0], panel_key[1], child.get("name"))
            pages.append(key)
            out.setdefault(key, {})
            scan_panel(child, key, out, pages)
            continue
        if "ctrlId" in props:
            cid = props["ctrlId"]
            bucket = out.setdefault(panel_key, {})
            if cid in bucket:
                raise SystemExit("duplicate ctrlId %d on panel %s" % (cid, panel_key))
            bucket[cid] = (child.get("class"), props.get("callback"), child.get("name"))
        scan_panel(child, panel_key, out, pages)


def check():
    errors = []
    found, pages, panel_cbs, callbacks_by_file = {}, [], {}, {}
    for fname in (SCOPE_FILE, MPLEX_FILE):
        tree = ET.parse(os.path.join(ROOT, "layouts", fname))
        root = tree.getroot().find("widget")
        names = set()
        for w in root.iter("widget"):
            if w.get("name") in names and w.get("name") != "":
                errors.append("%s: object name %s used twice" % (fname, w.get("name")))
            names.add(w.get("name"))
        cbs = set()
        for w in root.iter("widget"):
            cb = props_of(w).get("callback")
            if cb:
                cbs.add(cb)
        callbacks_by_file[fname] = sorted(cbs)
        for pw in root.findall("widget"):
            props = props_of(pw)
            res = props.get("resourceId")
            if res is None:
                errors.append("%s: panel %s has no resourceId" % (fname, pw.get("name")))
                continue
            if (fname, res) in panel_cbs:
                errors.append("%s: resource %d twice" % (fname, res))
            panel_cbs[(fname, res)] = props.get("callback")
            found.setdefault((fname, res), {})
            scan_panel(pw, (fname, res), found, pages)

    header = os.path.join(ROOT, IDS_HEADER)
    with open(header, encoding="utf-8") as f:
        if f.read() != ids_header():
            errors.append("%s is not the id table's: run scripts/gen_layouts.py" % IDS_HEADER)

    ctrls, panels = table_ids()
    files = {"RES_MPC": MPLEX_FILE, "RES_PORT": MPLEX_FILE}
    for name, (res, cb) in panels.items():
        f = files.get(name, SCOPE_FILE)
        if (f, res) not in panel_cbs:
            errors.append("panel %s (%s resource %d) missing" % (name, f, res))
        elif panel_cbs[(f, res)] != cb:
            errors.append("panel %s callback %s, expected %s" % (name, panel_cbs[(f, res)], cb))

    named = {}  # panel key -> the ids the table names on it
    for prefix, name, value, cb in ctrls:
        f, res, sub = PREFIX_PANELS[prefix]
        keys = [p for p in pages if p[:2] == (f, res)] if sub == "page" else [(f, res)]
        if sub == "page" and len(keys) != 7:
            errors.append("expected 7 tab pages, found %d" % len(keys))
        for key in keys:
            named.setdefault(key, set()).add(value)
            entry = found.get(key, {}).get(value)
            if entry is None:
                errors.append("%s = %d missing on %s" % (name, value, key))
            elif cb and entry[1] != cb:
                errors.append("%s = %d on %s: callback %s, expected %s" % (
                    name, value, key, entry[1], cb))

    for key, bucket in found.items():
        for cid in sorted(set(bucket) - named.get(key, set())):
            errors.append("ctrlId %d (%s) on %s has no name in the id table" % (
                cid, bucket[cid][2], key))

    for key in sorted(found, key=str):
        print("panel %s" % (key,))
        for cid in sorted(found[key]):
            cls, cb, oname = found[key][cid]
            print("  %3d  %-16s %-26s %s" % (cid, cls, cb or "-", oname))
    for f, cbs in callbacks_by_file.items():
        pcb = sorted(cb for (pf, _), cb in panel_cbs.items() if pf == f and cb)
        print("callbacks in %s (%d): %s" % (f, len(cbs), " ".join(cbs)))
        print("  of which panel callbacks: %s" % " ".join(pcb))
    if errors:
        print("\n".join("ERROR: " + e for e in errors))
        return 1
    print("OK: every id of the table is present with its callback, every id in the layouts has a "
          "name, no duplicate ids; ControlIds.h is the table's")
    return 0


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--check", action="store_true",
                        help="check the written files against the id table")
    parser.add_argument("--out", default=ROOT, metavar="DIR",
                        help="write below DIR instead of the repository")
    args = parser.parse_args()
    if args.check:
        return check()
    write_all(args.out)
    return 0


if __name__ == "__main__":
    sys.exit(main())
