#include "funcoes/funcoes.h"
