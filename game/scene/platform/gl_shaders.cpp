#include "scene/platform/gl_shaders.h"

namespace platform {

// Matrices arrive in the game's row-vector layout and are uploaded untransposed,
// so GLSL sees their transposes and the product order reads P * V * W * v.
const char* const kSceneVertexShader = R"(#version 330 core
layout(location = 0) in vec3 inPosition;
layout(location = 1) in vec3 inNormal;
layout(location = 2) in vec2 inTexCoord;
layout(location = 3) in vec4 inColor;

uniform mat4 world;
uniform mat4 view;
uniform mat4 projection;
uniform mat3 normalMatrix;

uniform bool lighting;
uniform bool hasNormal;
uniform bool hasColor;
uniform bool lightEnabled;
uniform vec3 toLight;          // unit vector towards the light, world space
uniform vec4 lightDiffuse;
uniform vec4 lightAmbient;
uniform vec4 ambientLevel;
uniform vec4 materialDiffuse;
uniform vec4 materialAmbient;
uniform vec4 materialEmissive;

uniform bool pointScale;
uniform float pointSize;
uniform float pointSizeMin;
uniform float pointSizeMax;
uniform vec3 pointScaleFactors;  // A, B, C
uniform float viewportHeight;

out vec4 vertexColor;
out vec2 vertexTexCoord;

void main() {
    vec4 eyePosition = view * (world * vec4(inPosition, 1.0));
    vec4 clip = projection * eyePosition;
    // The game's projection maps depth to 0..1; GL clips to -1..1.
    clip.z = 2.0 * clip.z - clip.w;
    gl_Position = clip;
    vertexTexCoord = inTexCoord;

    vec4 vertexDiffuse = hasColor ? inColor : vec4(1.0);
    if (lighting) {
        vec4 diffuseSource = hasColor ? inColor : materialDiffuse;
        vec3 color = materialEmissive.rgb + materialAmbient.rgb * ambientLevel.rgb;
        if (lightEnabled) {
            float facing = 0.0;
            if (hasNormal) {
                vec3 normal = normalMatrix * inNormal;
                float len = length(normal);
                if (len > 0.0) facing = max(dot(normal / len, toLight), 0.0);
            }
            color += materialAmbient.rgb * lightAmbient.rgb
                   + diffuseSource.rgb * lightDiffuse.rgb * facing;
        }
        vertexColor = clamp(vec4(color, diffuseSource.a), 0.0, 1.0);
    } else {
        vertexColor = vertexDiffuse;
    }

    float size = pointSize;
    if (pointScale) {
        float distance = length(eyePosition.xyz);
        float attenuation = pointScaleFactors.x + pointScaleFactors.y * distance
                          + pointScaleFactors.z * distance * distance;
        size = attenuation > 0.0 ? viewportHeight * pointSize * sqrt(1.0 / attenuation)
                                 : pointSizeMax;
    }
    gl_PointSize = clamp(size, pointSizeMin, pointSizeMax);
}
)";

// Built once per kind of draw: the device puts "#version 330 core" and the
// kind's defines (TEXTURED, POINT_SPRITE) before it. Switches tested per pixel
// would cost the software renderer about a millisecond of every frame.
const char* const kSceneFragmentShader = R"(
in vec4 vertexColor;
in vec2 vertexTexCoord;
uniform sampler2D image;
out vec4 fragColor;

void main() {
#if defined(TEXTURED) && defined(POINT_SPRITE)
    vec4 texel = texture(image, gl_PointCoord);
    fragColor = vec4(texel.rgb * vertexColor.rgb, texel.a);
#elif defined(TEXTURED)
    vec4 texel = texture(image, vertexTexCoord);
    fragColor = vec4(texel.rgb * vertexColor.rgb, texel.a);
#else
    fragColor = vertexColor;
#endif
}
)";

const char* const kScreenVertexShader = R"(#version 330 core
layout(location = 0) in vec2 inPixel;
layout(location = 1) in vec2 inTexCoord;
uniform vec2 screenSize;
out vec2 vertexTexCoord;
void main() {
    vec2 ndc = vec2(inPixel.x / screenSize.x * 2.0 - 1.0, 1.0 - inPixel.y / screenSize.y * 2.0);
    gl_Position = vec4(ndc, 0.0, 1.0);
    vertexTexCoord = inTexCoord;
}
)";

const char* const kScreenFragmentShader = R"(#version 330 core
in vec2 vertexTexCoord;
uniform sampler2D image;
uniform vec4 tint;
out vec4 fragColor;
void main() {
    fragColor = texture(image, vertexTexCoord) * tint;
}
)";

}  // namespace platform
