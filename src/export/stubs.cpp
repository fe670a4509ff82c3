// Placeholder until Copy As / Export As land; replaced by the export subsystem.
#include "export/export.h"
void main_on_copy_as(HWND, int) {}
void main_on_export_as(HWND, int) {}
