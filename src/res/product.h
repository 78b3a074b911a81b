/* Product texts shared by the resource script and the code. Plain C preprocessor only: windres
   reads this file too. */
#pragma once

#define VISTREL_PRODUCT_NAME "Vistrel"
#define VISTREL_MAKER_WEB_ADDRESS "www.tarnove.example"
/* The options dialog's caption; a second start finds the first instance's dialog by it. */
#define VISTREL_OPTIONS_TITLE VISTREL_PRODUCT_NAME " -  " VISTREL_MAKER_WEB_ADDRESS

/* The version resource's numbers and texts. */
#define VISTREL_VERSION_MAJOR 1
#define VISTREL_VERSION_MINOR 0
#define VISTREL_VERSION_PATCH 0
#define VISTREL_VERSION_BUILD 0
#define VISTREL_VERSION_TEXT "1.0.0.0"
#define VISTREL_MAKER_NAME "tarnove"
#define VISTREL_LEGAL_COPYRIGHT "Copyright (C) 2026 tarnove. All rights reserved."
#define VISTREL_DONATE_ADDRESS "https://www.tarnove.example/donate"
