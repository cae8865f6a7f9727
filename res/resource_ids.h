#pragma once
// Resource and control ids of the program.

inline constexpr unsigned IDD_ABOUTBOX = 100;
inline constexpr unsigned IDS_ABOUTBOX = 101;
inline constexpr unsigned IDD_VENDREL_DIALOG = 102;
inline constexpr unsigned IDR_MAINFRAME = 128;

/// The about item the main dialog adds to its system menu.
inline constexpr unsigned IDM_ABOUTBOX = 0x0010;

inline constexpr int IDC_CALCULATE = 1000;
inline constexpr int IDC_BALL_MASS = 1001;
inline constexpr int IDC_GRAVITY = 1002;
inline constexpr int IDC_K = 1003;
inline constexpr int IDC_SIDE_SPIN = 1004;
inline constexpr int IDC_BACK_SPIN = 1005;
inline constexpr int IDC_K_PRIME = 1006;
inline constexpr int IDC_LAUNCH_ANGLE = 1010;
inline constexpr int IDC_LAUNCH_SPEED = 1011;
inline constexpr int IDC_TIME_STEP = 1012;
inline constexpr int IDC_DEFAULT = 1013;
inline constexpr int IDC_STOP = 1014;
inline constexpr int IDC_CARRY = 1015;
inline constexpr int IDC_CLEAR_VIEW = 1016;
