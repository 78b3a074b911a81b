/* Product texts shared by the resource script and the code. Plain C preprocessor only: windres
   reads this file too. */
#pragma once

#define VISTREL_PRODUCT_NAME "Vistrel"
#define VISTREL_MAKER_WEB_ADDRESS "www.tarnove.example"
/* The options dialog's caption; a second start finds the first instance's dialog by it. */
#define VISTREL_OPTIONS_TITLE VISTREL_PRODUCT_NAME " -  " VISTREL_MAKER_WEB_ADDRESS

/* The version resource's numbers and text: VISTREL_VERSION_MAJOR, _MINOR, _PATCH, _BUILD and
   _TEXT, written by CMake from project(VERSION) in CMakeLists.txt. */
#include "vistrel_version.h"

#define VISTREL_MAKER_NAME "tarnove"
#define VISTREL_LEGAL_COPYRIGHT "Copyright (C) 2026 tarnove. All rights reserved."
#define VISTREL_DONATE_ADDRESS "https://www.tarnove.example/donate"
