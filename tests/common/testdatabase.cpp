#include "testsupport.h"

#include "data/schema.h"
#include "data/tdm.h"

QString TestEnvironment::createDatabase() {
    ::createDatabase(databaseFile());
    return m_databaseFolder;
}

void TestEnvironment::connectDataModule(Tdm& dm) {
    dm.ADOConnection1.setConnectionString(Tdm::connectionStringFor(createDatabase()));
    dm.ADOConnection1.open();
}
