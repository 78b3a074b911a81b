/* Product texts shared by the resource script and the code. Plain C preprocessor only: windres
   reads this file too. */
#pragma once

#define VISTREL_PRODUCT_NAME "Vistrel"
#define VISTREL_MAKER_WEB_ADDRESS "www.tarnove.example"
/* The options dialog's caption; a second start finds the first instance's dialog by it. */
#define VISTREL_OPTIONS_TITLE VISTREL_PRODUCT_NAME " -  " VISTREL_MAKER_WEB_ADDRESS
