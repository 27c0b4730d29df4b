#ifndef TEVRA_FUZZ_APP_H
#define TEVRA_FUZZ_APP_H

#include <string>

class tevraview;

// The program as it starts in config mode (catalogues built, settings at their defaults) on
// Qt's offscreen platform, its windows closed again: what every target runs inside. Called
// once, from LLVMFuzzerInitialize.
void start_tevra();

// A fresh folder of the fuzzer's own, on a memory file system when there is one, so the
// design target's writes and flushes cost little. Made once; never removed while running.
const std::string& fuzz_folder();

// Small pictures of every kind the design target's designs may name as "base_image":
// a.png, b.jpg, c.bmp, d.gif, e.tga, and f, a folder.
void write_sample_images(const std::string& folder);

// Stops the run with a message: a finding the sanitizers would not see themselves.
[[noreturn]] void fuzz_fail(const char* what);

#endif
