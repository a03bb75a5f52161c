#include "app/AppState.h"

GLFWwindow* window = nullptr;
int screenWidth = 0;
int screenHeight = 0;
CameraSet* cameras = nullptr;
unsigned char keyState[kKeyTableSize] = {};
unsigned char previousKeyState[kKeyTableSize] = {};
float orbitAngle = 0.0f;
