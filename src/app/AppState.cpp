#include "app/AppState.h"

GLFWwindow* window = nullptr;
int screenWidth = 0;
int screenHeight = 0;
float renderScale = 1.0f;
ShaderProgram* phongProgram = nullptr;
ShaderProgram* mirroredPhongProgram = nullptr;
ShaderProgram* shadowPassProgram = nullptr;
ShaderProgram* shadowDebugProgram = nullptr;
Level* level = nullptr;
Water* water = nullptr;
Campfire* campfire = nullptr;
PointLight* skyLight = nullptr;
PointLight* rearLight = nullptr;
PointLight* frontLight = nullptr;
FrameRenderer* frameRenderer = nullptr;
InputController* inputController = nullptr;
OmniShadowMap* shadowMap = nullptr;
GLint normalMappingLocation = -1;
GLint shadowMappingLocation = -1;
CameraSet* cameras = nullptr;
unsigned char keyState[kKeyTableSize] = {};
unsigned char previousKeyState[kKeyTableSize] = {};
float orbitAngle = 0.0f;
