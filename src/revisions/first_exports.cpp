// The four exports of the first revision's server library, libwagelink-rev1.so.
#include "com/server_exports.h"
#include "revisions/revisions.h"

WAGELINK_SERVER_EXPORTS(revisions::FirstRevisionClasses, revisions::FirstRevisionIdentity)
