// The four exports of the second revision's server library, libwagelink-rev2.so.
#include "com/server_exports.h"
#include "revisions/revisions.h"

WAGELINK_SERVER_EXPORTS(revisions::SecondRevisionClasses, revisions::SecondRevisionIdentity)
