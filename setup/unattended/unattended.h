/* The unattended configuration file and the status MIF. */
#ifndef SETUP_UNATTENDED_H
#define SETUP_UNATTENDED_H

#include <windows.h>

#include "product.h"

#define MIF_FILE_NAME "\\" PRODUCT_MIF_NAME ".MIF"
#define MIF_BUFFER_SIZE 2500
/* The description attribute is a STRING(255). */
#define MIF_DESCRIPTION_SIZE 256

void ReadUnattendedConfig(void);
bool CreateStatusMif(void);
bool AppendMifStatus(int success, LPCSTR description);

#endif
