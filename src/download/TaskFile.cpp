#include "download/TaskFile.h"

#include <tinyxml2.h>

#include <cstdio>
#include <filesystem>
#include <string_view>

#include "platform/Files.h"
#include "platform/FsPath.h"

namespace TaskFile {
namespace {

// A task file holds a few hundred bytes per 4 MiB range; anything near this is not ours.
constexpr long kMaxTaskFileBytes = 16L * 1024 * 1024;

using tinyxml2::XMLDocument;
using tinyxml2::XMLElement;

void AddChild(XMLElement* parent, const char* name, std::int64_t value) {
    parent->InsertNewChildElement(name)->SetText(value);
}

void AddChild(XMLElement* parent, const char* name, const std::string& text) {
    parent->InsertNewChildElement(name)->SetText(text.c_str());
}

void AddTask(XMLElement* root, const TaskRecord& t) {
    XMLElement* task = root->InsertNewChildElement("Task");
    AddChild(task, "StartPos", t.StartPos);
    AddChild(task, "EndPos", t.EndPos);
    AddChild(task, "DownloadedPos", t.DownloadedPos);
    AddChild(task, "RemotePath", t.RemotePath);
    AddChild(task, "LocalPath", t.LocalPath);
    AddChild(task, "TaskStatus", std::int64_t{t.TaskStatus});
    AddChild(task, "TaskId", std::int64_t{t.TaskId});
    AddChild(task, "RequestTimes", std::int64_t{t.RequestTimes});
}

std::int64_t Int64Of(const XMLElement* e) {
    int64_t value = 0;
    return e->QueryInt64Text(&value) == tinyxml2::XML_SUCCESS ? value : 0;
}

std::int32_t IntOf(const XMLElement* e) {
    int value = 0;
    return e->QueryIntText(&value) == tinyxml2::XML_SUCCESS ? value : 0;
}

std::string TextOf(const XMLElement* e) { return e->GetText() ? e->GetText() : ""; }

TaskRecord ReadTask(const XMLElement* task) {
    TaskRecord t;
    for (const XMLElement* e = task->FirstChildElement(); e; e = e->NextSiblingElement()) {
        const std::string_view name = e->Name();
        if (name == "StartPos")
            t.StartPos = Int64Of(e);
        else if (name == "EndPos")
            t.EndPos = Int64Of(e);
        else if (name == "DownloadedPos")
            t.DownloadedPos = Int64Of(e);
        else if (name == "RemotePath")
            t.RemotePath = TextOf(e);
        else if (name == "LocalPath")
            t.LocalPath = TextOf(e);
        else if (name == "TaskStatus")
            t.TaskStatus = IntOf(e);
        else if (name == "TaskId")
            t.TaskId = IntOf(e);
    }
    return t;
}

TaskFileContent Read(const XMLDocument& doc) {
    TaskFileContent content;
    const XMLElement* root = doc.RootElement();
    if (!root) return content;
    for (const XMLElement* e = root->FirstChildElement(); e; e = e->NextSiblingElement()) {
        const std::string_view name = e->Name();
        if (name == "TasksCount")
            content.TasksCount = IntOf(e);
        else if (name == "ContentLength")
            content.ContentLength = Int64Of(e);
        else if (name == "DownloadTime")
            content.DownloadTime = Int64Of(e);
        else if (name == "SingleStream")
            content.SingleStream = IntOf(e) == 1;
        else if (name == "ETag")
            content.ETag = TextOf(e);
        else if (name == "LastModified")
            content.LastModified = TextOf(e);
        else if (name == "Task")
            content.Tasks.push_back(ReadTask(e));
    }
    return content;
}

}  // namespace

std::string Format(const TaskFileContent& content) {
    XMLDocument doc;
    XMLElement* root = doc.NewElement("TaskInfo");
    doc.InsertEndChild(root);
    AddChild(root, "TasksCount", std::int64_t{content.TasksCount});
    AddChild(root, "ContentLength", content.ContentLength);
    AddChild(root, "DownloadTime", content.DownloadTime);
    if (content.SingleStream) AddChild(root, "SingleStream", std::int64_t{1});
    if (!content.ETag.empty()) AddChild(root, "ETag", content.ETag);
    if (!content.LastModified.empty()) AddChild(root, "LastModified", content.LastModified);
    for (const TaskRecord& t : content.Tasks) AddTask(root, t);
    tinyxml2::XMLPrinter printer;
    doc.Print(&printer);
    return std::string(printer.CStr(), static_cast<std::size_t>(printer.CStrSize() - 1));
}

bool Save(const std::string& path, const TaskFileContent& content) {
    const std::wstring target = platform::Utf8ToWide(path);
    const std::wstring temporary = target + L".tmp";
    const std::string text = Format(content);
    platform::FilePtr out = platform::OpenFile(temporary, "wb");
    const bool written = out && std::fwrite(text.data(), 1, text.size(), out.get()) == text.size();
    std::error_code error;
    if (!out || std::fclose(out.release()) != 0 || !written) {
        std::filesystem::remove(platform::FsPath(temporary), error);
        return false;
    }
    std::filesystem::rename(platform::FsPath(temporary), platform::FsPath(target), error);
    return !error;
}

TaskFileContent Load(const std::string& path) {
    platform::FilePtr in = platform::OpenFile(platform::Utf8ToWide(path), "rb");
    if (!in || std::fseek(in.get(), 0, SEEK_END) != 0) return {};
    const long size = std::ftell(in.get());
    if (size < 0 || size > kMaxTaskFileBytes || std::fseek(in.get(), 0, SEEK_SET) != 0) return {};
    XMLDocument doc;
    if (doc.LoadFile(in.get()) != tinyxml2::XML_SUCCESS) return {};
    return Read(doc);
}

TaskFileContent Parse(const std::string& xml) {
    XMLDocument doc;
    if (doc.Parse(xml.c_str(), xml.size()) != tinyxml2::XML_SUCCESS) return {};
    return Read(doc);
}

}  // namespace TaskFile
