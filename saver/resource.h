/* Resource identifiers of the screen saver, under the numbers Windows looks for. */
#ifndef QK_SAVER_RESOURCE_H
#define QK_SAVER_RESOURCE_H

#define IDS_DESCRIPTION   1    /* the name the Display control panel lists */
#define IDI_SAVER         100  /* the icon of a screen saver */
#define DLG_SCRNSAVECONFIGURE 2003 /* its settings dialog */

#define IDC_CLOCKTYPE     1001
#define IDC_24HOUR        1002
#define IDC_SECONDS       1003
#define IDC_CLOCKPREVIEW  1004

#endif
