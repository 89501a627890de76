#pragma once

#include "data/connection.h"
#include "data/dataset.h"
#include "data/tdm.h"
#include "testsupport.h"

// A fresh database with the full schema in the test's own folder, and a connection open on it.
struct DataFixture {
    TestEnvironment env;
    Connection connection;

    DataFixture() {
        env.createDatabase();
        connection.setConnectionString(Tdm::connectionStringFor(env.databaseFolder()));
        connection.open();
    }

    // The first row of a query, read by name as text.
    QString read(const QString& sql, const QString& field) {
        Dataset query(connection, QStringLiteral("Read"));
        query.setSql(sql);
        query.open();
        return query.fieldByName(field).asString();
    }
};
