#include <array>

#include "res/program_resources.h"
#include "res/resource_ids.h"
#include "res/version.h"

namespace vendrel::res {
namespace {

constexpr DWORD kEdit = WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL;
constexpr DWORD kLabel = WS_VISIBLE | WS_GROUP | SS_LEFT;
constexpr DWORD kButton = WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON;
constexpr DWORD kHiddenDisabled = WS_DISABLED;  // created without WS_VISIBLE

using K = ControlKind;

// Dialog 100: the about box.
constexpr std::array kAboutControls{
    DialogControl{IDC_STATIC, K::Static, "VENDREL  VERSION 1.0", 7, 23, 114, 25,
                  WS_VISIBLE | WS_GROUP | SS_CENTER},
    DialogControl{IDC_STATIC, K::Static, "", 40, 25, 119, 8, kLabel},
    DialogControl{IDOK, K::PushButton, "OK", 140, 7, 70, 41,
                  WS_VISIBLE | WS_TABSTOP | WS_GROUP | BS_DEFPUSHBUTTON},
};

// Dialog 102: the main dialog, controls in template (and tab) order.
constexpr std::array kMainControls{
    DialogControl{IDC_CALCULATE, K::PushButton, "計算", 410, 284, 196, 37, kButton},
    DialogControl{IDC_BALL_MASS, K::Edit, "", 508, 221, 92, 15, kEdit},
    DialogControl{IDC_GRAVITY, K::Edit, "", 192, 447, 94, 14,
                  (kEdit & ~WS_VISIBLE) | kHiddenDisabled},
    DialogControl{IDC_K, K::Edit, "", 508, 172, 92, 13, kEdit},
    DialogControl{IDC_SIDE_SPIN, K::Edit, "", 508, 115, 92, 15, kEdit},
    DialogControl{IDC_BACK_SPIN, K::Edit, "", 508, 145, 92, 15, kEdit},
    DialogControl{IDC_K_PRIME, K::Edit, "", 508, 199, 92, 15, kEdit},
    DialogControl{IDC_STATIC, K::Static, "ボールの重さ（グラム）", 414, 225, 67, 18, kLabel},
    DialogControl{IDC_STATIC, K::Static, "GRAVITY CONSTANT（ｍ/ｓ）", 281, 425, 39, 27,
                  (kLabel & ~WS_VISIBLE) | kHiddenDisabled},
    DialogControl{IDC_STATIC, K::Static, "K", 414, 171, 40, 18, kLabel},
    DialogControl{IDC_STATIC, K::Static, "SIDE SPIN（ｒｐｍ）", 414, 115, 57, 20, kLabel},
    DialogControl{IDC_STATIC, K::Static, "BACK SPIN（ｒｐｍ）", 414, 148, 68, 20, kLabel},
    DialogControl{IDC_STATIC, K::Static, "K'", 414, 196, 33, 22, kLabel},
    DialogControl{IDC_LAUNCH_ANGLE, K::Edit, "", 508, 58, 89, 14, kEdit},
    DialogControl{IDC_LAUNCH_SPEED, K::Edit, "", 508, 87, 91, 15, kEdit},
    DialogControl{IDC_STATIC, K::Static, "", 508, 197, 8, 8,
                  (kLabel & ~WS_VISIBLE) | kHiddenDisabled},
    DialogControl{IDC_STATIC, K::Static, "打ち出し角度（度）", 414, 58, 78, 20, kLabel},
    DialogControl{IDC_STATIC, K::Static, "打ち出し速度（ｍ/ｓ）", 414, 85, 84, 21, kLabel},
    DialogControl{IDC_TIME_STEP, K::Edit, "", 508, 249, 91, 15, kEdit},
    DialogControl{IDC_STATIC, K::Static, "時間刻み（ｓ）", 414, 250, 56, 29, kLabel},
    DialogControl{IDC_DEFAULT, K::PushButton, "ＤＥＦＡＵＬＴ", 407, 13, 193, 29, kButton},
    DialogControl{IDC_STOP, K::PushButton, "STOP", 411, 323, 195, 38, kButton},
    DialogControl{IDC_STATIC, K::Static, "空中飛距離は", 435, 383, 58, 18, kLabel},
    DialogControl{IDC_CARRY, K::Edit, "", 493, 379, 25, 17, kEdit | ES_READONLY},
    DialogControl{IDC_STATIC, K::Static, "ｍ です", 527, 383, 44, 15, kLabel},
    DialogControl{IDC_CLEAR_VIEW, K::PushButton, "画面のクリアー", 418, 441, 90, 31,
                  (kButton & ~WS_VISIBLE) | kHiddenDisabled},
};

constexpr std::array kDialogs{
    DialogTemplate{IDD_ABOUTBOX, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT,
                   0, "ﾊﾞｰｼﾞｮﾝ情報 Vendrel", "ＭＳ Ｐゴシック", 9, 217, 55, kAboutControls},
    DialogTemplate{IDD_VENDREL_DIALOG,
                   WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT,
                   WS_EX_APPWINDOW, "Vendrel", "ＭＳ Ｐゴシック", 9, 647, 549, kMainControls},
};

constexpr std::array kStrings{
    StringResource{IDS_ABOUTBOX, "ﾊﾞｰｼﾞｮﾝ情報(Vendrel) (&A)..."},
};

// Icon 128: the golf ball at its two sizes, 16 colours each.
constexpr std::array<const char*, 2> kMainIconImages{":/vendrel/icons/vendrel-32.png",
                                                     ":/vendrel/icons/vendrel-16.png"};
constexpr std::array kIcons{IconResource{IDR_MAINFRAME, kMainIconImages}};

const ResourceModule kModule{
    kDialogs,
    kStrings,
    kIcons,
    VersionInfo{
        {kVersion[0], kVersion[1], kVersion[2], kVersion[3]},
        {kVersion[0], kVersion[1], kVersion[2], kVersion[3]},
        0x0411,  // Japanese
        1200,    // UTF-16
        "",
        "VENDREL MFC ｱﾌﾟﾘｹｰｼｮﾝ",
        kVersionBlockText,
        "VENDREL",
        "",
        "VENDREL.EXE",
        "VENDREL ｱﾌﾟﾘｹｰｼｮﾝ",
        kVersionBlockText,
    },
    kDesktopId,
};

}  // namespace

const ResourceModule& Module() { return kModule; }

}  // namespace vendrel::res
