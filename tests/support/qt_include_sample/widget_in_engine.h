// Not compiled: the sample the Qt-include check must refuse.
#pragma once

#include <vector>
#  include <QtCore/QString>
