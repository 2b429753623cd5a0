#pragma once

/// The maker's web host: it ends the application title and is the About dialog's link.
inline constexpr const char* kProductWebHost = "korvane.example";
/// The product's web page, opened from the About dialog.
inline constexpr const char* kProductWebPage = "https://korvane.example/vellicor/";
/// The application title: the main window's caption and the error box's.
inline constexpr const char* kApplicationTitle = "Vellicor 2009 by korvane.example";
