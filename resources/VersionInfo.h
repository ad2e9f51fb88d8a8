/* The program's one version source: the VERSIONINFO resource is built from
   it, and the program reads its name and numbers back from that resource at
   run time. Plain macros, so the resource compiler reads it too. */
#ifndef VORNIX_VERSION_INFO_H
#define VORNIX_VERSION_INFO_H

#define VORNIX_PRODUCT_NAME "Vornix Internet Optimizer"
/* Also the title of the program's message boxes (kAppTitle). */
#define VORNIX_INTERNAL_NAME "VornixInternetOptimizer"
#define VORNIX_COMPANY_NAME "Vornix"
#define VORNIX_LEGAL_COPYRIGHT "Copyright (C) 2026 Vornix"

/* File and product version 1.00.0002: major 1, minor 0, revision 2. */
#define VORNIX_VERSION_MAJOR 1
#define VORNIX_VERSION_MINOR 0
#define VORNIX_VERSION_REVISION 2
#define VORNIX_VERSION_TEXT "1.00.0002"
#define VORNIX_VERSION_BINARY VORNIX_VERSION_MAJOR, VORNIX_VERSION_MINOR, 0, VORNIX_VERSION_REVISION

/* Resource ids. */
#define IDI_APP 101
#define IDR_BANNER 201
#define IDR_LOGO 202
#define IDR_BANNER_2X 203

#endif
