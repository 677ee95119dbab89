//{{NO_DEPENDENCIES}}
// Microsoft Visual C++ generated include file.
// Used by atelier.rc
//
#define IDH_PROCEDURE                   0x2001

// Next default values for new objects
// 
#ifdef APSTUDIO_INVOKED
#ifndef APSTUDIO_READONLY_SYMBOLS
/* values of the
   resource editor */
#define _APS_NEXT_COMMAND_VALUE         32771
#endif
#endif
