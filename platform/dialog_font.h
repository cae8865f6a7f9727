#pragma once
// The fonts dialog templates name, mapped to fonts installed here.

#include <QFont>
#include <QStringList>

/// The installed families that stand for a template's face name, best first; the
/// Japanese gothic faces map to IPA's metric-compatible gothic fonts.
QStringList AfxFontFamiliesFor(const char* faceName);
/// The font of a template: the mapped families at the pixel size of `points` on the
/// platform's 96-dpi screen (9 points: 12 px), whatever this screen's resolution.
QFont AfxDialogFont(const char* faceName, int points);
