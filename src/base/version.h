// The one place the version lives: the version resource, the About text and
// the package names all read it from here.
#pragma once
#define CLIPNOOK_VERSION_MAJOR 1
#define CLIPNOOK_VERSION_MINOR 7
#define CLIPNOOK_VERSION_TEXT "1.07"
#define CLIPNOOK_NAME_VERSION "Clipnook v1.07"
#define CLIPNOOK_NAME_VERSION_W L"Clipnook v1.07"
