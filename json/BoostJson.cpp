// The one translation unit that compiles Boost.JSON's out-of-line code.
#include <boost/json/src.hpp>
