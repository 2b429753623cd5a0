#pragma once

#include <exception>
#include <initializer_list>
#include <string>
#include <string_view>

/// Base of every failure the program reports: an exception that carries its message text.
class Exception : public std::exception {
public:
    explicit Exception(std::string message) : FMessage(std::move(message)) {}

    const std::string& Message() const noexcept { return FMessage; }
    const char* what() const noexcept override { return FMessage.c_str(); }

private:
    std::string FMessage;
};

/// Replaces each "%s" of `format`, left to right, with the next argument; "%%" gives "%".
/// Missing arguments leave the rest of the placeholders empty, so a message never fails to form.
std::string Format(std::string_view format, std::initializer_list<std::string_view> args);

/// The text of any caught exception: an Exception's message, else what() says.
std::string MessageOf(const std::exception& error);
