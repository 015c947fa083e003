#pragma once

// Sets the module's last error (a TgaError code); the reader and the writer call it on failure.
void Record_Tga_Error(int code);
