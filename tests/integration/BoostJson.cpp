// Boost.JSON's out-of-line code for the integration tests, which read the
// library's output with Boost.JSON itself as the reference.
#include <boost/json/src.hpp>
