// Command and resource ids, shared by clipnook.rc and the code (plain macros,
// since the resource compiler reads this file too).
#pragma once

#define IDR_MAIN 2000  // menu, accelerator table and icon

#define IDM_EXIT 2000
#define IDM_ABOUT 2001
#define IDM_OPEN_CLIPBOARD 2002
#define IDM_EMPTY_CLIPBOARD 2003
#define IDM_NEW 2004
#define IDM_CUT 2005
#define IDM_COPY 2006
#define IDM_PASTE 2007
#define IDM_DELETE 2008
#define IDM_SELECT_ALL 2009
#define IDM_ADD_FILE 2010
#define IDM_ADD_ASCII_TABLE 2011
#define IDM_GOTO 2016
#define IDM_SHELL_ADD 2019
#define IDM_SHELL_REMOVE 2020
#define IDM_COPY_AS_DUMP 2021
#define IDM_COPY_AS_C_ARRAY 2022
#define IDM_COPY_AS_C_STRING 2023
#define IDM_COPY_AS_CSHARP_ARRAY 2024
#define IDM_COPY_AS_JAVA_ARRAY 2025
#define IDM_COPY_AS_PASCAL_ARRAY 2026
#define IDM_COPY_AS_VBNET_ARRAY 2027
#define IDM_EXPORT 2028
#define IDM_EXPORT_AS_DUMP 2029
#define IDM_EXPORT_AS_C_ARRAY 2030
#define IDM_EXPORT_AS_C_STRING 2031
#define IDM_EXPORT_AS_CSHARP_ARRAY 2032
#define IDM_EXPORT_AS_JAVA_ARRAY 2033
#define IDM_EXPORT_AS_PASCAL_ARRAY 2034
#define IDM_EXPORT_AS_VBNET_ARRAY 2035
#define IDM_OPEN_FILE 2036
#define IDM_WATCH_CLIPBOARD 2040
#define IDM_STATUS_BAR 2041
