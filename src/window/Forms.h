// The window's forms as uic compiles them, kept for retranslating them; private to window/.
#pragma once

#include "ui_BasicTab.h"
#include "ui_BulkTab.h"
#include "ui_ConnectView.h"
#include "ui_DACorrTab.h"
#include "ui_FrmMain.h"
#include "ui_ServiceTab.h"
#include "window/FrmMain.h"

namespace vl48 {

struct TFrmMain::Forms {
    Ui::FrmMain frame;
    Ui::ConnectView connect;
    Ui::BasicTab basic;
    Ui::BulkTab bulk;
    Ui::ServiceTab service;
    Ui::DACorrTab daCorr;
};

}  // namespace vl48
