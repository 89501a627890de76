#pragma once

#include "platform/orbentaerror.h"

// An error of the database engine or of a dataset operation, with a German text.
class DataError : public OrbentaError {
public:
    using OrbentaError::OrbentaError;
};
