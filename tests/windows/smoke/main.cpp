// Proves the static Windows prefix works: each library does real work here,
// so a missing symbol, a wrong define or a dropped codec fails under wine.
//
//   smoke.exe --model model.obj [--model more.fbx] --sound sound.mp3 --font font.ttf
#include <GL/glew.h>
#include <GLFW/glfw3.h>
#include <SDL.h>
#include <SDL_mixer.h>
#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <assimp/version.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::vector<std::string> g_models;
std::string g_sound;
std::string g_font;

TEST(WindowsSmoke, OpenGl33CoreContextRenders) {
    ASSERT_EQ(glfwInit(), GLFW_TRUE);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 3);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 3);
    glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
    glfwWindowHint(GLFW_OPENGL_FORWARD_COMPAT, GLFW_TRUE);
    GLFWwindow* window = glfwCreateWindow(320, 240, "Pizzeria smoke", nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    glfwMakeContextCurrent(window);

    glewExperimental = GL_TRUE; // core profiles hide the extension string
    ASSERT_EQ(glewInit(), static_cast<GLenum>(GLEW_OK));
    std::printf("GLFW %s\n", glfwGetVersionString());
    std::printf("GL_VERSION: %s\n", reinterpret_cast<const char*>(glGetString(GL_VERSION)));
    std::printf("GL_RENDERER: %s\n", reinterpret_cast<const char*>(glGetString(GL_RENDERER)));

    GLint major = 0;
    GLint minor = 0;
    glGetIntegerv(GL_MAJOR_VERSION, &major);
    glGetIntegerv(GL_MINOR_VERSION, &minor);
    EXPECT_GE(major * 10 + minor, 33);
    GLint profile = 0;
    glGetIntegerv(GL_CONTEXT_PROFILE_MASK, &profile);
    EXPECT_TRUE(profile & GL_CONTEXT_CORE_PROFILE_BIT);

    // A clear read back proves the context draws, not only that it exists.
    glClearColor(1.0F, 0.5F, 0.0F, 1.0F);
    glClear(GL_COLOR_BUFFER_BIT);
    unsigned char pixel[4] = {};
    glReadPixels(1, 1, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    EXPECT_EQ(pixel[0], 255);
    EXPECT_NEAR(pixel[1], 128, 1);
    EXPECT_EQ(pixel[2], 0);

    glfwDestroyWindow(window);
    glfwTerminate();
}

TEST(WindowsSmoke, AssimpImportsModels) {
    ASSERT_FALSE(g_models.empty()) << "pass --model";
    std::printf("assimp %u.%u.%u\n", aiGetVersionMajor(), aiGetVersionMinor(), aiGetVersionPatch());
    for (const std::string& path : g_models) {
        Assimp::Importer importer;
        const aiScene* scene =
            importer.ReadFile(path, aiProcess_Triangulate | aiProcess_JoinIdenticalVertices);
        ASSERT_NE(scene, nullptr) << path << ": " << importer.GetErrorString();
        unsigned vertices = 0;
        unsigned faces = 0;
        for (unsigned i = 0; i < scene->mNumMeshes; ++i) {
            vertices += scene->mMeshes[i]->mNumVertices;
            faces += scene->mMeshes[i]->mNumFaces;
        }
        std::printf("assimp: %s meshes=%u vertices=%u faces=%u\n", path.c_str(), scene->mNumMeshes,
                    vertices, faces);
        EXPECT_GT(scene->mNumMeshes, 0U) << path;
        EXPECT_GT(vertices, 0U) << path;
        EXPECT_GT(faces, 0U) << path;
    }
}

TEST(WindowsSmoke, MixerDecodesMp3) {
    ASSERT_FALSE(g_sound.empty()) << "pass --sound";
    ASSERT_EQ(SDL_Init(SDL_INIT_AUDIO), 0) << SDL_GetError();
    EXPECT_TRUE(Mix_Init(MIX_INIT_MP3) & MIX_INIT_MP3) << Mix_GetError();
    ASSERT_EQ(Mix_OpenAudio(44100, MIX_DEFAULT_FORMAT, 2, 1024), 0) << Mix_GetError();
    int frequency = 0;
    Uint16 format = 0;
    int channels = 0;
    ASSERT_NE(Mix_QuerySpec(&frequency, &format, &channels), 0);
    std::printf("SDL %d.%d.%d, audio driver %s, %d Hz, %d channels\n", SDL_MAJOR_VERSION,
                SDL_MINOR_VERSION, SDL_PATCHLEVEL, SDL_GetCurrentAudioDriver(), frequency,
                channels);

    Mix_Music* music = Mix_LoadMUS(g_sound.c_str());
    ASSERT_NE(music, nullptr) << Mix_GetError();
    const Mix_MusicType type = Mix_GetMusicType(music);
    EXPECT_EQ(type, MUS_MP3);
    EXPECT_EQ(Mix_PlayMusic(music, 0), 0) << Mix_GetError();
    Mix_HaltMusic();
    Mix_FreeMusic(music);

    Mix_Chunk* chunk = Mix_LoadWAV(g_sound.c_str());
    ASSERT_NE(chunk, nullptr) << Mix_GetError();
    const int bytes_per_frame = SDL_AUDIO_BITSIZE(format) / 8 * channels;
    const double seconds = static_cast<double>(chunk->alen) / bytes_per_frame / frequency;
    bool audible = false;
    for (Uint32 i = 0; i < chunk->alen && !audible; ++i) {
        audible = chunk->abuf[i] != 0;
    }
    std::printf("SDL_mixer: %s loaded as music (%s) and decoded to %u bytes (%.2f s)\n",
                g_sound.c_str(), type == MUS_MP3 ? "MP3" : "not MP3", chunk->alen, seconds);
    EXPECT_GT(chunk->alen, 0U);
    EXPECT_TRUE(audible) << "decoded audio is all silence";
    Mix_FreeChunk(chunk);
    Mix_CloseAudio();
    Mix_Quit();
    SDL_Quit();
}

TEST(WindowsSmoke, FreeTypeRendersGlyph) {
    ASSERT_FALSE(g_font.empty()) << "pass --font";
    FT_Library library = nullptr;
    ASSERT_EQ(FT_Init_FreeType(&library), 0);
    FT_Int major = 0;
    FT_Int minor = 0;
    FT_Int patch = 0;
    FT_Library_Version(library, &major, &minor, &patch);
    FT_Face face = nullptr;
    ASSERT_EQ(FT_New_Face(library, g_font.c_str(), 0, &face), 0) << g_font;
    ASSERT_EQ(FT_Set_Pixel_Sizes(face, 0, 48), 0);
    ASSERT_EQ(FT_Load_Char(face, 'A', FT_LOAD_RENDER), 0);
    const FT_Bitmap& bitmap = face->glyph->bitmap;
    int inked = 0;
    for (unsigned row = 0; row < bitmap.rows; ++row) {
        for (unsigned col = 0; col < bitmap.width; ++col) {
            inked += bitmap.buffer[row * bitmap.pitch + col] > 0 ? 1 : 0;
        }
    }
    std::printf(
        "FreeType %d.%d.%d: %s %s, %ld glyphs, 'A' at 48 px is %ux%u with %d inked pixels\n", major,
        minor, patch, face->family_name, face->style_name, face->num_glyphs, bitmap.width,
        bitmap.rows, inked);
    EXPECT_GT(face->num_glyphs, 0);
    EXPECT_GT(inked, 0);
    FT_Done_Face(face);
    FT_Done_FreeType(library);
}

} // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    for (int i = 1; i < argc; ++i) {
        const bool has_value = i + 1 < argc;
        if (std::strcmp(argv[i], "--model") == 0 && has_value) {
            g_models.emplace_back(argv[++i]);
        } else if (std::strcmp(argv[i], "--sound") == 0 && has_value) {
            g_sound = argv[++i];
        } else if (std::strcmp(argv[i], "--font") == 0 && has_value) {
            g_font = argv[++i];
        } else {
            std::fprintf(stderr, "unknown argument: %s\n", argv[i]);
            return 2;
        }
    }
    return RUN_ALL_TESTS();
}
