/* The CLAP declarations compiled as C: the header stays plain C, and its
 * layout checks run under the C compiler of every target as well. */
#include "clap_abi.h"
