/* Resources of MSINSSTF.DLL's own progress gauge. */
#ifndef MSINSSTF_GAUGE_IDS_H
#define MSINSSTF_GAUGE_IDS_H

#define IDD_COPY_GAUGE      100
#define IDC_GAUGE_ACTION    101
#define IDC_GAUGE_FILE      102
#define IDC_GAUGE_BAR       103
#define IDC_GAUGE_COUNT     104
/* The quit button is IDCANCEL (2), so Esc and the close box quit as well. */

#endif
