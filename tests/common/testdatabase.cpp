#include "testsupport.h"

#include "schema.h"

QString TestEnvironment::createDatabase() {
    ::createDatabase(databaseFile());
    return m_databaseFolder;
}
