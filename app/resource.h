#pragma once

#define IDI_ZENTORA 1
