/* Resource identifiers, shared by the C++ code and the Windows resource
   script (so it stays plain preprocessor). */
#ifndef MOSVIK_RESOURCE_H
#define MOSVIK_RESOURCE_H

#include "mosvik_version.h"

#define IDS_SAVER_NAME 1
#define IDS_STOCK_MESSAGE 123
#define IDI_SAVER 128
#define IDC_MOVE 129
#define IDD_CONFIG 133
#define IDB_TILE 229
#define IDC_HOMEPAGE 1012
#define IDC_SPEED 1013
/* The dialog's pictures group; the two radio buttons are consecutive. */
#define IDC_OWN_PICTURE 1014
#define IDC_FOLDER_PICTURES 1015
#define IDC_PICTURE_FOLDER 1016
#define IDC_BROWSE 1017
#define IDC_SUBFOLDERS 1018
#define IDC_CAPTION 1019

#define MOSVIK_NAME_TEXT "Mosvik"
#define MOSVIK_STOCK_TEXT "\"Your message here.\""
#define MOSVIK_VERSION_TEXT "Mosvik Version 1.0"
#define MOSVIK_CONFIG_CAPTION "Mosvik configuration"
#define MOSVIK_HOMEPAGE_TEXT "&Go to the Korvel Software home page"
#define MOSVIK_NOTICE_TEXT "Copyright \251 Korvel Software"
#define MOSVIK_PICTURES_TEXT "Pictures"
#define MOSVIK_OWN_PICTURE_TEXT "The saver's &own picture"
#define MOSVIK_FOLDER_TEXT "A &folder:"
#define MOSVIK_BROWSE_TEXT "&Browse..."
#define MOSVIK_SUBFOLDERS_TEXT "Include &subfolders"
#define MOSVIK_CAPTION_TEXT "Show &date and file name"
#define MOSVIK_PICK_FOLDER_TEXT "Choose a folder of pictures"
#define MOSVIK_HOMEPAGE_HOST "www.korvel-software.example"
#define MOSVIK_REGISTRY_KEY "Korvel Screen Savers"

/* Every saver program holds the signature whole (the application object
   keeps it), so mosvik-pack can tell a saver from any other file without
   running it. The tool joins the two halves at run time and so does not
   hold the whole text itself. */
#define MOSVIK_SIGNATURE_HEAD "Mosvik jigsaw "
#define MOSVIK_SIGNATURE_TAIL "saver program 1"
#define MOSVIK_SIGNATURE MOSVIK_SIGNATURE_HEAD MOSVIK_SIGNATURE_TAIL

#endif
