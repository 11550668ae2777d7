#pragma once
#include <array>
#include <string_view>

namespace vantrel {

// Every key the program looks up under "PrgLevel" in the string file.
constexpr std::array<std::string_view, 75> programTextKeys = {
    // window titles
    "TI_MAIN", "TI_DVCTL", "TI_DEVSEL", "TI_AUTO", "TI_PREFER", "TI_BTN", "TI_VIEWER", "TI_HTML",
    // wait-dialog and message-box titles
    "MB_TI_AUTO", "MB_TI_CLOSE", "MB_TI_SCAN", "MB_TI_SAVE", "MB_TI_FILEREAD",
    // messages
    "MSG_OVER", "MSG_NOSIG", "MSG_CANTCPT", "MSG_COMERR", "MSG_FSTRANS", "MSG_CLOSE",
    "MSG_DEL1", "MSG_DEL2", "MSG_SAVE1", "MSG_SAVE2", "MSG_INPUT", "MSG_NODISK", "MSG_NOTITLE",
    "MSG_SAVEOW1", "MSG_SAVEOW2", "MSG_IMG_SAVE", "MSG_STOP_SAVE",
    // file-dialog filters
    "FL_ALBUM", "FL_ALL", "FL_BMP", "FL_DVF", "FL_JPG", "FL_PNG",
    // HTML link texts
    "HT_PREV", "HT_INDEX", "HT_NEXT",
    // device list
    "LB_CAT", "LB_NAME", "LB_NOTCONN", "LB_CANTUSE", "CB_NOUSE", "MNU_SCAN", "MNU_IDCH",
    "SG_MOVIE", "SG_PRINTER", "SG_UNKNOWN", "TX_NODEV",
    // serial ports and the line
    "MSG_LINELOST", "MSG_PORT_GROUP", "MSG_PORT_LOGIN", "MSG_PORT_HOLDER", "MSG_PORT_MODEM",
    "MSG_PORT_HELD", "MSG_PORT_NONE", "MSG_PORT_NOTTY", "MSG_PORT_OTHER", "TX_NOPORT",
    // image settings
    "RI_BITMAP", "RI_JPEG", "RI_DVF", "RI_PNG", "RI_FULL", "RI_FIELD", "RI_MOVE", "RI_NONE", "RI_ORG",
    "LI_WINDOW", "LI_BTN", "LI_DEFINED", "LI_DEFAULT",
    // the viewer's picture facts
    "TX_RECORDED", "TX_FACTS",
};

} // namespace vantrel
