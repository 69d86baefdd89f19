#pragma once
// Shared by the fuzz targets: a headless application with an English locale and
// private runtime and configuration folders (as the tests have), and small
// helpers to draw values from the fuzzer's input.
#include <fuzzer/FuzzedDataProvider.h>
#include <QString>

// Creates the application once; safe to call from every LLVMFuzzerInitialize.
void FuzzInitApplication();

// Any double, including infinities, NaN and denormals, from 8 raw bytes.
double FuzzDouble(FuzzedDataProvider& in);
// Text of at most maxBytes bytes, read as UTF-8.
QString FuzzText(FuzzedDataProvider& in, size_t maxBytes);
