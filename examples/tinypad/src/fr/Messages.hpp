#ifndef RESOURCE_IDS
#define RESOURCE_IDS
#define IDS_READY 1001
#define IDS_PRINTING 1002
#define IDS_NOPRINTER 1003
#endif
